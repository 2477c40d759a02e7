#include "shell/optionselection.h"

#include <QRadioButton>

#include <memory>

void onOptionSelected(QRadioButton *option, std::function<void()> handler)
{
    // A click selects the option before it reports clicked(), so the selection has run the
    // handler by then; only a click that found the option selected changes nothing and runs it
    // on its own. Every click, also from the keyboard or click(), starts with pressed().
    auto selectedAtPress = std::make_shared<bool>(false);
    QObject::connect(option, &QRadioButton::pressed, option,
                     [option, selectedAtPress] { *selectedAtPress = option->isChecked(); });
    QObject::connect(option, &QRadioButton::toggled, option, [handler](bool selected) {
        if (selected)
            handler();
    });
    QObject::connect(option, &QRadioButton::clicked, option, [handler, selectedAtPress] {
        if (*selectedAtPress)
            handler();
    });
}
