#include "download/folders.h"
