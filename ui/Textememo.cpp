#include "ui/Textememo.h"

#include <QPlainTextEdit>
#include <QTextDocument>

QString TexteDuMemo(const QPlainTextEdit* memo) {
    QString texte = memo->document()->toRawText();
    texte.replace(QChar(QChar::ParagraphSeparator), QLatin1String("\r\n"));
    texte.replace(QChar(QChar::LineSeparator), QLatin1String("\r\n"));
    return texte;
}
