#include "cbase/Cb_array.h"

#include "cbase/Cb_varmem.h"

CBaseArray::CBaseArray(std::size_t count)
    : elements(count ? new CBase[count] : nullptr)
    , unused{0, 0}
    , shareCount(0)
{
}

CBaseArray::~CBaseArray()
{
    delete[] elements;
}
