// The program's version: the version box, the settings file and the version
// resource all show it. A plain C header, read by the resource compiler too.
#pragma once

#define BEX_VERSION_MAJOR 0
#define BEX_VERSION_MINOR 19
#define BEX_VERSION_TEXT "0.19"
