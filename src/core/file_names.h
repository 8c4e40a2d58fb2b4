// How the program reads a file's kind from its name (platform/file_names.h).
#pragma once

#include "platform/file_names.h"
