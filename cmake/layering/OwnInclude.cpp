// Compiled at configure time as if it were part of the framework: it must compile, or the failure of the
// upward include proves nothing.
#include "framework/Picture.h"
