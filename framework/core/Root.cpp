#include "framework/core/Root.h"

void CRoot::Load(CByteStream&) {}
void CRoot::Save(CByteStream&) const {}
