/* Quillmere's skin: light panels, teal accents, an amber progress bar.
   The file is a Qt style sheet; the geometry of the window stays as laid out.
   Every rule that sets a text colour sets the background under it too, and the other way
   round, so the window reads the same under a light and a dark desktop theme. */

Form1 {
    background-color: #eff1f2;
    color: #10333f;
}

QGroupBox {
    background-color: #eff1f2;
    color: #10333f;
    border: 1px solid #a9bcc2;
    border-radius: 5px;
    margin-top: 7px;
}

QGroupBox::title {
    subcontrol-origin: margin;
    subcontrol-position: top left;
    left: 8px;
    padding: 0 4px;
    color: #174a5c;
}

QGroupBox#Frame4 {
    border-color: transparent;
}

QRadioButton {
    background-color: #eff1f2;
    color: #10333f;
    spacing: 6px;
}

QRadioButton:disabled {
    color: #8a9ba0;
}

QPushButton {
    color: #10333f;
    background-color: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #ffffff, stop: 1 #e1eaed);
    border: 1px solid #8fa9b1;
    border-radius: 4px;
}

QPushButton:hover {
    background-color: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #f4fafb, stop: 1 #d2e5eb);
    border-color: #2b7a8c;
}

QPushButton:pressed {
    background-color: #c3dce3;
}

QPushButton:disabled {
    color: #8a9ba0;
    background-color: #eef2f3;
    border-color: #c4d0d4;
}

QPushButton#PushButton2 {
    color: #ffffff;
    background-color: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #2b7a8c, stop: 1 #1d5a6b);
    border-color: #174a5c;
}

QPushButton#PushButton2:hover {
    background-color: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #348ea2, stop: 1 #236a7d);
}

QPushButton#PushButton2:pressed {
    background-color: #174a5c;
}

/* The focus: a ring two pixels wide, standing out from the face and the outline around it. The
   rules come after the others and name the buttons as they do, so that no hover or per-button
   rule hides it. */
QPushButton:focus {
    border: 2px solid #10333f;
}

QPushButton#PushButton2:focus {
    border: 2px solid #e9b36a;
}

QLineEdit {
    color: #10333f;
    background-color: #ffffff;
    border: 1px solid #a9bcc2;
    border-radius: 3px;
    padding: 0 3px;
    selection-background-color: #2b7a8c;
    selection-color: #ffffff;
}

QLineEdit:focus {
    border-color: #2b7a8c;
}

QLineEdit:disabled {
    background-color: #eef2f3;
    color: #8a9ba0;
}

QTreeWidget#ListView1 {
    color: #10333f;
    background-color: #ffffff;
    border: 1px solid #a9bcc2;
    selection-background-color: #2b7a8c;
    selection-color: #ffffff;
}

QHeaderView {
    background-color: #e1eaed;
    color: #174a5c;
}

QHeaderView::section {
    background-color: #e1eaed;
    color: #174a5c;
    border: none;
    border-right: 1px solid #b9c8cd;
    border-bottom: 1px solid #b9c8cd;
    padding: 2px 6px;
}

QProgressBar {
    background-color: #ffffff;
    border: 1px solid #8fa9b1;
    border-radius: 4px;
    color: #10333f;
    text-align: center;
}

QProgressBar::chunk {
    background-color: #e9b36a;
    border-radius: 3px;
}

QToolTip {
    background-color: #fbf8f0;
    color: #10333f;
    border: 1px solid #a9bcc2;
}
