#include "InputMethod.h"

#include "platform/DesktopInputMethod.h"

namespace {

constexpr int kNativeConversion = 1;

} // namespace

int SetImeConversion(QWidget*, int conversion, int /*sentence*/)
{
    // The sentence mode has no counterpart: conversion is always the user's to start.
    if (!(conversion & kNativeConversion))
        return 0;
    return DesktopInputMethod::instance().selectJapanese() ? 1 : 0;
}

int ImeModeOf(QWidget*)
{
    switch (DesktopInputMethod::instance().state()) {
    case DesktopInputMethod::Active: return 1;
    case DesktopInputMethod::Inactive: return 2;
    default: return 0;
    }
}

int ImeStatusOf(QWidget*)
{
    DesktopInputMethod& ime = DesktopInputMethod::instance();
    ime.refresh();
    return ime.state() == DesktopInputMethod::Inactive ? 2 : 0;
}

void RestoreInputMethod()
{
    if (DesktopInputMethod* ime = DesktopInputMethod::existing())
        ime->restoreUserState();
}
