#!/bin/sh
# The module's dynamic symbol table defines exactly onComment, onPictureDrawn, onInitTitleScreen
# and linkVersion: hidden visibility keeps everything else out of the host's sight.
set -eu
defined=$(nm -D --defined-only "$1" | awk '{print $3}' | sort | tr '\n' ' ')
expected="linkVersion onComment onInitTitleScreen onPictureDrawn "
if [ "$defined" != "$expected" ]; then
  echo "$1 defines [$defined], expected [$expected]" >&2
  exit 1
fi
echo "$1 exports: $defined"
