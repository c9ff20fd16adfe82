#include "traffic/ViewExport.h"

#include <QPlainTextEdit>
#include <QSaveFile>
#include <QTextDocument>
#include <QTextEdit>

namespace kivo {

bool saveView(QWidget *view, const QString &path, QString *error)
{
    QTextDocument *document = nullptr;
    if (auto *rich = qobject_cast<QTextEdit *>(view))
        document = rich->document();
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(view))
        document = plain->document();
    if (!document) {
        *error = QStringLiteral("There is no view to save.");
        return false;
    }
    const bool html = path.endsWith(QLatin1String(".html"), Qt::CaseInsensitive) ||
                      path.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive);
    const QByteArray bytes = (html ? document->toHtml() : document->toPlainText()).toUtf8();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace kivo
