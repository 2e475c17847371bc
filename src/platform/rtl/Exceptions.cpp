#include "Exceptions.h"

void Abort()
{
    throw EAbort();
}
