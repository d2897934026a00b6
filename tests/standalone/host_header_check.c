/* The host interface header compiles as plain C, and the records the host hands to the plug-in's
 * entry points have the host's layout: the plug-in reads them through these fields. */
#include <stddef.h>

#include "host/farview_host.h"

typedef char commentNameAt0[offsetof(FvParsedComment, name) == 0 ? 1 : -1];
typedef char parameterCountAt200[offsetof(FvParsedComment, parameterCount) == 200 ? 1 : -1];
typedef char parametersAt208[offsetof(FvParsedComment, parameters) == 208 ? 1 : -1];
typedef char recordIs2152[sizeof(FvParsedComment) == 208 + 9 * 216 ? 1 : -1];
typedef char kindAt0[offsetof(FvCommentParameter, kind) == 0 ? 1 : -1];
typedef char parameterIs216[sizeof(FvCommentParameter) == 216 ? 1 : -1];
typedef char numberAt8[offsetof(FvCommentParameter, number) == 8 ? 1 : -1];
typedef char textAt16[offsetof(FvCommentParameter, text) == 16 ? 1 : -1];
typedef char pictureNumberAt4[offsetof(FvDrawnPicture, pictureNumber) == 4 ? 1 : -1];

int farviewHostHeaderCompilesAsC(const FvHostInterface *table) { return table->structSize > 0; }
