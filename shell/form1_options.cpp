// The delimiter and save options (Option1-7, Text1, Text2) and the "..." button (PushButton9).
#include "shell/form1.h"

#include "core/handlerguard.h"
#include "core/pathhelpers.h"
#include "core/reportingprocedure.h"
#include "core/settingsstore.h"
#include "filelist/folderpicker.h"
#include "shell/whenmousereleased.h"

#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>

void Form1::saveDelimiterOptions()
{
    // Selecting one option clears the other four, so all five keys change together.
    m_settings.write(Setting::Option1, boolToSetting(Option1->isChecked()));
    m_settings.write(Setting::Option2, boolToSetting(Option2->isChecked()));
    m_settings.write(Setting::Option3, boolToSetting(Option3->isChecked()));
    m_settings.write(Setting::Option4, boolToSetting(Option4->isChecked()));
    m_settings.write(Setting::Option5, boolToSetting(Option5->isChecked()));
}

void Form1::saveSaveOptions()
{
    m_settings.write(Setting::Option6, boolToSetting(Option6->isChecked()));
    m_settings.write(Setting::Option7, boolToSetting(Option7->isChecked()));
}

void Form1::Option1_Click()
{
    guardHandler("Option1_Click", [this] { saveDelimiterOptions(); });
}

void Form1::Option2_Click()
{
    guardHandler("Option2_Click", [this] { saveDelimiterOptions(); });
}

void Form1::Option3_Click()
{
    guardHandler("Option3_Click", [this] { saveDelimiterOptions(); });
}

void Form1::Option4_Click()
{
    guardHandler("Option4_Click", [this] { saveDelimiterOptions(); });
}

void Form1::Option5_Click()
{
    guardHandler("Option5_Click", [this] { saveDelimiterOptions(); });
}

// The folder row follows the choice also when the store cannot be written.
void Form1::Option6_Click()
{
    guardHandler("Option6_Click", [this] { saveSaveOptions(); });
    Frame4->setEnabled(Option6->isChecked());
}

void Form1::Option7_Click()
{
    guardHandler("Option7_Click", [this] { saveSaveOptions(); });
    Frame4->setEnabled(Option6->isChecked());
}

void Form1::Text1_Change()
{
    guardHandler("Text1_Change", [this] { m_settings.write(Setting::Text1, Text1->text()); });
}

void Form1::Text2_Change()
{
    guardHandler("Text2_Change", [this] { m_settings.write(Setting::Other, Text2->text()); });
}

void Form1::Text2_LostFocus()
{
    guardHandler("Text2_LostFocus", [this] {
        // Only a move to another control of this window counts. When the window loses
        // activation the focus goes to no widget or to another window (a message box of our
        // own included); while Text2's context menu is open the focus stays with Text2.
        const QWidget *next = QApplication::focusWidget();
        if (!next || next == Text2 || next->window() != this)
            return;
        if (!Text2->text().isEmpty() || m_text2ReminderPending)
            return;
        m_text2ReminderPending = true;
        // A message box shown from inside the focus-out event would take the focus while it is
        // still moving, and giving it back there would start the event over. Shown while a
        // mouse button is held, it would take the release from the control pressed and cancel
        // its click, such as that of "Start Converting" pressed right from the emptied box.
        const bool runBefore = m_runInProgress;
        whenMouseReleased(this, [this, runBefore] {
            m_text2ReminderPending = false;
            if (m_closing)
                return;
            guardHandler("Text2_LostFocus", [this, runBefore] {
                // A run that this click started refuses an empty "Other" delimiter with this same
                // reminder; once is enough.
                if (runBefore || !m_runInProgress || !Option5->isChecked())
                    dialogs().message(QStringLiteral("You forgot to input a value."));
                Text2->setFocus(Qt::OtherFocusReason);
            });
        });
    });
}

void Form1::PushButton9_Click()
{
    ReportingProcedure procedure(dialogs(), ProcedureTag::PushButton9Click);
    QString chosen;
    procedure.run(100, [&] { m_rememberedOutputFolder = m_settings.read(Setting::LastFolderDot); });
    procedure.run(100, [&] {
        chosen = AddFolder::BrowseForFolder(dialogs(), QStringLiteral("Please select folder:"),
                                            m_rememberedOutputFolder);
    });
    if (procedure.test(102, [&] { return chosen.isEmpty(); }))
        return;
    procedure.run(104, [&] { m_rememberedOutputFolder = chosen; });
    procedure.run(104, [&] { m_settings.write(Setting::LastFolderDot, chosen); });
    // Text1 always ends with a separator, so output names can be appended to it directly.
    const QChar separator = Main::pathSeparator();
    if (procedure.test(104, [&] { return !chosen.endsWith(separator); }))
        procedure.run(106, [&] { Text1->setText(chosen + separator); });
    else
        procedure.run(108, [&] { Text1->setText(chosen); });
}
