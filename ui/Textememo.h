#pragma once

#include <QString>

class QPlainTextEdit;

// A message box's text as it is sent and stored: its lines joined by CR LF, and its own
// characters, non-breaking spaces included (QPlainTextEdit::toPlainText would turn each
// into a plain space, and French typography puts one before ":", "!", "?" and inside
// amounts and quotes).
QString TexteDuMemo(const QPlainTextEdit* memo);
