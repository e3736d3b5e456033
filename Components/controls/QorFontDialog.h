// The desktop's font dialog for a TFont: the dialogs use it for axis, caption and legend fonts.
#pragma once

#include "UQorTypes.h"

class QFont;
class QWidget;

// The Qt font as a TFont; colour, charset and pitch come from Base, which the font dialog
// does not show.
TFont FontFromQFont(const QFont& Font, const TFont& Base);

// Opens the font dialog preset with a copy of Font. On OK Font takes the chosen face, size and
// style and the function answers true; on Cancel Font stays as it was.
bool ExecFontDialog(QWidget* Parent, TFont& Font);
