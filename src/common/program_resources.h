// Resource ids of the program file, shared by the resource script and the code.
#pragma once

#define BEX_ICON 1
