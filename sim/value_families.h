// The families of value names, each registering its handlers from a file of its own.
#pragma once

#include "sim/value_table.h"

namespace rvs::sim {

void addChannelValues(ValueTable& table);      // values_channel.cpp: "ReturnValue", OXA selection
void addSessionValues(ValueTable& table);      // values_session.cpp: open and close probes
void addStatusValues(ValueTable& table);       // values_status.cpp: status records, sensors
void addSettingsValues(ValueTable& table);     // values_settings.cpp: settings record, trace flag
void addDeviceDataValues(ValueTable& table);   // values_device_data.cpp: metrics, configuration, LEDs
void addPrintValues(ValueTable& table);        // values_print.cpp: transmit, print job, feeding
void addMediaValues(ValueTable& table);        // values_media.cpp: paper movements, reset
void addMaintenanceValues(ValueTable& table);  // values_maintenance.cpp: self-test, firmware

}  // namespace rvs::sim
