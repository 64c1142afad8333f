#include "KxException.h"

// Out of line so the type has one home in the library.
KxException::~KxException() = default;
