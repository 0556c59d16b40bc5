#pragma once
// The picture in the error dialog's corner: an eye, 32 by 32 pixels over a 256-colour palette.

#include "platform/dialog.h"

namespace qb {

platform::Picture eyePicture();

}  // namespace qb
