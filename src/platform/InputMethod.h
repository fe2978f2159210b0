// The platform's input-method switches. Linux offers no way for a program to set the IME's
// conversion mode, so SetImeConversion does nothing and answers 0.
#pragma once

class QWidget;

inline int SetImeConversion(QWidget*, int /*conversion*/, int /*sentence*/) { return 0; }
