#pragma once
#include "runtime/Dialogs.h"

// Between the runtime's data layer and its widget part: the data layer holds the presenter
// slot, the widget part (when it is loaded) supplies the presenter that shows windows.
namespace vrt {

// What presenter() makes on first use when none was set; without one, texts go to the
// error stream and boxes get their unanswered button.
void setDefaultPresenterMaker(std::unique_ptr<Presenter> (*make)());

// A text nobody can see in a window, on the error stream as "program: text".
void printInstead(const QString& text);

// The answer of a box nobody can press: its default, else the one that commits to least.
int unansweredButton(const MessageArgs& args);

} // namespace vrt
