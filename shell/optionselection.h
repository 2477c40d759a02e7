#pragma once

#include <functional>

class QRadioButton;

// Runs the handler whenever the option becomes selected, by whatever means: a click, the
// keyboard, code, or an assistive technology's toggle action. A click on the option that is
// selected already runs it too. One click runs it once.
void onOptionSelected(QRadioButton *option, std::function<void()> handler);
