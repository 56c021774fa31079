// The program's five message boxes. Every box has the application title of
// the program's settings as its caption and gives the focus back to its owner.
#pragma once

#include <cstdint>
#include <functional>

#include "framework/core/Text.h"
#include "framework/ui/Window.h"
#include "settings/AppSettings.h"

// The settings whose title captions every box: the program's own, set at
// start. Without them the caption is the title string of the resources.
void SetMessageSettings(const AppSettings* settings);

// Returns the button pressed.
int ShowMessage(CNativeWindow* owner, const CText& text, uint32_t flags);
// The text of a string id, with the information icon.
int ShowInfo(CNativeWindow* owner, uint32_t stringId);
// IDYES or IDNO.
int AskYesNo(CNativeWindow* owner, uint32_t stringId);
// The message of a CMediaException's code.
int ShowMediaError(CNativeWindow* owner, uint32_t stringId);
// The system's text of a CException's code.
int ShowSystemError(CNativeWindow* owner, uint32_t errorCode);

// Runs the work; a CMediaException or CException that ends it is shown with
// its message, owned by `owner`. False when the work failed.
bool RunShowingErrors(CNativeWindow* owner, const std::function<void()>& work);
