// The suite's version, shared by the version resources of the card manager and
// the accessor module: the manager accepts a module only when the first two
// numbers agree. Included by resource scripts, so preprocessor only.
#pragma once

#define ZRB_VERSION_MAJOR 5
#define ZRB_VERSION_MINOR 2
#define ZRB_VERSION_RELEASE 0
#define ZRB_VERSION_BUILD 111
#define ZRB_VERSION_STRING "5.2.0.111"
