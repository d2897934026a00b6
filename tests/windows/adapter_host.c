/* A host program that exports no table: it loads the adapter module first, then farview.dll,
 * which must bind to the adapter's table. Then a keyword answers false and acts:
 * is_mode7_rendering writes 1 into the adapter's variable 3 after init_mode7.
 *   adapter_host.exe ADAPTER_DLL FARVIEW_DLL
 * Built with OLDER_PROGRAM_TABLE, the program exports an older host's table, too small for the
 * module: the module must pass it over for the adapter's. */
#include <windows.h>

#include <stdio.h>

#include "stub_host.h"

#ifdef OLDER_PROGRAM_TABLE
__declspec(dllexport) const FvHostInterface farviewHostInterface = {
    .structSize = (uint32_t)(sizeof(FvHostInterface) - sizeof(void *))};
#endif

typedef int32_t (*AdapterVariableFn)(int32_t);

int main(int argc, char **argv) {
    if (argc != 3) return 2;
    HMODULE adapter = LoadLibraryA(argv[1]);
    AdapterVariableFn variable =
        adapter ? (AdapterVariableFn)(void (*)(void))GetProcAddress(adapter, "adapterVariable") : NULL;
    StubModule module;
    if (variable == NULL) {
        printf("cannot load the adapter %s (error %lu)\n", argv[1], GetLastError());
        return 1;
    }
    if (!stubLoadModule(argv[2], &module)) return 1;
    const bool onAnswer = stubSendNumber(&module, "init_mode7", 1.0);
    const bool isAnswer = stubSendNumber(&module, "is_mode7_rendering", 3.0);
    printf("init_mode7 returned %d, is_mode7_rendering returned %d, variable 3 holds %d\n", onAnswer, isAnswer,
           variable(3));
    return !onAnswer && !isAnswer && variable(3) == 1 ? 0 : 1;
}
