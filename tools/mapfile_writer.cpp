#include "tools/mapfile_writer.h"
