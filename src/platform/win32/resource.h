// Resource ids and the program's version, shared by resources.rc and the C++ code. The
// updater compares the file version of the running executable with the published one, so
// raise ZOR_VERSION_* with every release.
#pragma once

#define IDI_APP 1

#define ZOR_VERSION_MAJOR 1
#define ZOR_VERSION_MINOR 0
#define ZOR_VERSION_BUILD 0
#define ZOR_VERSION_TEXT "1.0.0"
