#include "sim/winspool/device_modes.h"

#include <map>
#include <mutex>

namespace rvs::sim::winspool {
namespace {

std::mutex shapesLock;
std::map<std::u16string, DeviceModeShape>& shapes() {
    static auto* const all = new std::map<std::u16string, DeviceModeShape>();  // never destroyed, as the printer
    return *all;
}

}  // namespace

DeviceModeShape deviceModeShape(const std::u16string& printer) {
    std::lock_guard<std::mutex> hold(shapesLock);
    auto it = shapes().find(printer);
    return it == shapes().end() ? DeviceModeShape{} : it->second;
}

void setDeviceModeShape(const std::u16string& printer, DeviceModeShape shape) {
    std::lock_guard<std::mutex> hold(shapesLock);
    shapes()[printer] = shape;
}

}  // namespace rvs::sim::winspool
