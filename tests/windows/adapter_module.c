/* An adapter module: a DLL that offers the host table for a host program that does not export
 * one. Loaded before farview.dll, which finds the table in it. */
#include "stub_host.h"

__declspec(dllexport) const FvHostInterface farviewHostInterface = STUB_HOST_TABLE;

/* Host variable n, 0 when there is none: what the program reads back. */
__declspec(dllexport) int32_t adapterVariable(int32_t n) {
    const FvHostVariables *variables = *farviewHostInterface.variables;
    return n >= 1 && n <= variables->count ? variables->values[n - 1] : 0;
}
