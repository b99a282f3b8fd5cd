/* Links RvStatement through its import library (or shared object) and calls it: fnPlox gives
 * 42, and a printer the spooler does not know fails to open with 9 and no handle. */
#include <stdio.h>

#include "RvStatement.h"

int main(void) {
    static const RvChar name[] = {'N', 'o', ' ', 'S', 'u', 'c', 'h', ' ', 'P', 'r', 'i', 'n', 't', 'e', 'r', 0};
    RvStatementHandle handle = NULL;
    int32_t answer = fnPlox();
    RvStatementResult opened = RvStatementOpen(name, &handle);
    printf("fnPlox() = %ld\nRvStatementOpen(\"No Such Printer\") = %lu, handle %s\n", (long)answer,
           (unsigned long)opened, handle == NULL ? "null" : "set");
    return answer == 42 && opened == ResultInvalidParameter && handle == NULL ? 0 : 1;
}
