#include "sim/winspool/the_printer.h"

namespace rvs::sim::winspool {

VirtualPrinter& thePrinter() {
    static VirtualPrinter* const printer = new VirtualPrinter();
    return *printer;
}

}  // namespace rvs::sim::winspool
