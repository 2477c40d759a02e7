// Names and descriptions of the controls for screen readers and voice control.
#include "shell/form1.h"

#include "shell/captionprogressbar.h"
#include "shell/filelistview.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

void Form1::nameControlsForAssistiveTechnology()
{
    // Buttons, options and titled frames are announced by their captions. A text box would
    // borrow the title of the frame around it, and the list and Frame4 have no caption at all.
    ListView1->setAccessibleName(QStringLiteral("XML files to convert"));
    ListView1->setAccessibleDescription(
            QStringLiteral("Each row is the full path of one file. Delete removes the selected "
                           "row; files dropped here are added."));
    Text2->setAccessibleName(QStringLiteral("Other delimiter"));
    Text2->setAccessibleDescription(
            QStringLiteral("The text put between fields when Other is chosen."));
    Frame4->setAccessibleName(QStringLiteral("Output folder row"));
    Text1->setAccessibleName(QStringLiteral("Output folder"));
    Text1->setAccessibleDescription(
            QStringLiteral("The folder every result is saved to when Save results to this "
                           "folder is chosen."));
    PushButton9->setAccessibleName(QStringLiteral("Choose output folder"));
    ProgressBar1->setAccessibleDescription(QStringLiteral("How far the conversion has come."));
}
