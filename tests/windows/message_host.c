/* The module's message boxes return at once where there is no display: a host program of its own
 * offers a tileset slot whose check byte the module cannot use and runs load_map_to_texture, which
 * shows both of the module's messages. Wine's relay trace shows each MessageBoxA and its return.
 *   message_host.exe FARVIEW_DLL */
#include <stdio.h>

#include "stub_host.h"

__declspec(dllexport) const FvHostInterface farviewHostInterface = STUB_HOST_TABLE;

int main(int argc, char **argv) {
    StubModule module;
    if (argc != 2 || !stubLoadModule(argv[1], &module)) return 2;
    stubTilesetRecord[660] = 101;
    stubSend(&module, "load_map_to_texture");
    printf("load_map_to_texture returned\n");
    return 0;
}
