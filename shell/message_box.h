// The program's message boxes, titled with the product name, in four kinds: OK with a warning
// icon, OK with an error icon, Yes/No with a warning icon and No as the default, OK with an
// information icon.
#pragma once

#include <functional>

#include "text/message.h"

class QWidget;

// Shows the message modally; true when a question was answered Yes.
bool ShowMessageBox(QWidget* parent, const kestrune::Message& message);

// Tests answer in place of the user: while set, every message goes here instead of a box.
using MessageBoxReplacement = std::function<bool(const kestrune::Message&)>;
void ReplaceMessageBoxes(MessageBoxReplacement replacement);
