// Printer-data value names: the whole vocabulary of the protocol with the driver.
#pragma once

namespace rvs::value {

inline constexpr const char16_t* ReturnValue = u"ReturnValue";
inline constexpr const char16_t* PrinterDataSize = u"PrinterDataSize";
inline constexpr const char16_t* PrinterData = u"PrinterData";
inline constexpr const char16_t* OxaSelectInput = u"OXA_Select_Input";
inline constexpr const char16_t* OxaSelectDevice = u"OXASelectDevice";
inline constexpr const char16_t* OxaPrintTimeOut = u"OXAPrintTimeOut";

inline constexpr const char16_t* Open = u"Open";
inline constexpr const char16_t* TimeInterval = u"TimeInterval";
inline constexpr const char16_t* GetPrinterVersion = u"GetPrinterVersion";
inline constexpr const char16_t* GetPrinterModel = u"GetPrinterModel";
inline constexpr const char16_t* TotalFeedingValue = u"TotalFeedingValue";
inline constexpr const char16_t* GetThresholdForLastPage = u"GetThresholdForLastPage";
inline constexpr const char16_t* CheckMultiplePagePrinting = u"CheckMultiplePagePrinting";
inline constexpr const char16_t* GetConfiguration = u"GetConfiguration";
inline constexpr const char16_t* DivisionPrinting = u"DivisionPrinting";
inline constexpr const char16_t* DivisionPrintingOn = u"DivisionPrintingON";
inline constexpr const char16_t* DivisionPrintingOff = u"DivisionPrintingOFF";
inline constexpr const char16_t* PurgeData = u"PurgeData";
inline constexpr const char16_t* Close = u"Close";

inline constexpr const char16_t* StatusGet = u"StatusGet";
inline constexpr const char16_t* OxaGetStatus = u"OXAGetStatus";
inline constexpr const char16_t* GetTransport = u"GetTransport";
inline constexpr const char16_t* PaperRemoved = u"PaperRemoved";

inline constexpr const char16_t* GetSensor = u"GetSensor";
inline constexpr const char16_t* GetOxaSensorStatus = u"GetOXASensorStatus";
inline constexpr const char16_t* GetRetractedCount = u"GetRetractedCount";

inline constexpr const char16_t* MetricId = u"MetricID";
inline constexpr const char16_t* GetMetrics = u"GetMetrics";
inline constexpr const char16_t* GetAllMetrics = u"GetAllMetrics";
inline constexpr const char16_t* SetMetricsInput = u"SetMetrics_Input";
inline constexpr const char16_t* SetMetrics = u"SetMetrics";
inline constexpr const char16_t* GetMfgData = u"GetMFGData";
inline constexpr const char16_t* SetMfgDataInput = u"SetMFGData_Input";
inline constexpr const char16_t* SetMfgData = u"SetMFGData";
inline constexpr const char16_t* SetMfgDataExInput = u"SetMFGDataEx_Input";
inline constexpr const char16_t* SetMfgDataEx = u"SetMFGDataEx";
inline constexpr const char16_t* PanelLedControlInput = u"PanelLedControl_Input";
inline constexpr const char16_t* Panel = u"Panel";
inline constexpr const char16_t* EnabledInput = u"Enabled_input";
inline constexpr const char16_t* Enabled = u"Enabled";

inline constexpr const char16_t* SetPrinterConfigInput = u"SetPrnterConfig_Input";
inline constexpr const char16_t* SetConfiguration = u"SetConfiguration";

inline constexpr const char16_t* DownloadInputType = u"Download_Input_Type";
inline constexpr const char16_t* DownloadInputSize = u"Download_Input_Size";
inline constexpr const char16_t* DownloadInputName = u"Download_Input_Name";
inline constexpr const char16_t* Download = u"Download";
inline constexpr const char16_t* DownloadCancel = u"DownloadCancel";
inline constexpr const char16_t* DownloadSwitch = u"DownloadSwitch";
inline constexpr const char16_t* DownloadFile = u"DownloadFile";
inline constexpr const char16_t* DownloadWrite = u"DownloadWrite";
inline constexpr const char16_t* DownloadReset = u"DownloadReset";

inline constexpr const char16_t* LogSettingCondition = u"LogSettingCondition";

inline constexpr const char16_t* ConsecutivePrintEnable = u"ConsecutivePrintEnable";
inline constexpr const char16_t* ConsecutivePrintDisable = u"ConsecutivePrintDisable";
inline constexpr const char16_t* GetFeedingValue = u"GetFeedingValue";
inline constexpr const char16_t* GetPrinterStatus = u"GetPrinterStatus";
inline constexpr const char16_t* TxRxInputTxName = u"TxRx_Input_Tx_Name";
inline constexpr const char16_t* TxRxInputTxSize = u"TxRx_Input_Tx_Size";
inline constexpr const char16_t* TxRxInputRxSize = u"TxRx_Input_Rx_Size";
inline constexpr const char16_t* TxRxInputTimeOut = u"TxRx_Input_TimeOut";
inline constexpr const char16_t* TxRx = u"TxRx";
inline constexpr const char16_t* TxRxNoResponse = u"TxRx_No_Response";
inline constexpr const char16_t* StartPrinting = u"StartPrinting";
inline constexpr const char16_t* EndPrinting = u"EndPrinting";

inline constexpr const char16_t* Reset = u"Reset";
inline constexpr const char16_t* Recover = u"Recover";
inline constexpr const char16_t* Present = u"Present";
inline constexpr const char16_t* Eject = u"Eject";
inline constexpr const char16_t* Retract = u"Retract";
inline constexpr const char16_t* Cut = u"Cut";
inline constexpr const char16_t* PaperChange = u"PaperChange";
inline constexpr const char16_t* Transport = u"Transport";
inline constexpr const char16_t* TransportInput = u"Transport_input";

inline constexpr const char16_t* SelfTestInputId = u"SelfTest_Input_ID";
inline constexpr const char16_t* SelfTestInputName = u"SelfTest_Input_Name";
inline constexpr const char16_t* SelfTestInputSize = u"SelfTest_Input_Size";
inline constexpr const char16_t* EnterSelfTest = u"EnterSelfTest";
inline constexpr const char16_t* PerformSelfTest = u"PerformSelfTest";
inline constexpr const char16_t* ExitSelfTest = u"ExitSelfTest";

}  // namespace rvs::value
