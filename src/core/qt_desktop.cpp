#include "core/qt_desktop.h"

#include "core/window_placement.h"

#include <QDesktopServices>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QProcess>
#include <QPushButton>
#include <QUrl>
#include <algorithm>

namespace pellimar {
namespace fs = std::filesystem;

namespace {

QString pathText(const fs::path& p) {
    return QFile::decodeName(QByteArray::fromStdString(p.native()));
}

fs::path toPath(const QString& s) {
    return fs::path(QFile::encodeName(s).toStdString());
}

}  // namespace

QString fromProgram(const std::string& text) {
    // The program's texts are translated here, where they are shown (see
    // program_texts.cpp). A text with details on lines of its own (a file's name,
    // the reason a read failed) has its first line translated when the whole has
    // no translation.
    QString s = QCoreApplication::translate("Messages", text.c_str());
    if (s == QString::fromStdString(text)) {
        if (const std::size_t end = text.find('\n'); end != std::string::npos) {
            const std::size_t lineEnd = end > 0 && text[end - 1] == '\r' ? end - 1 : end;
            s = QCoreApplication::translate("Messages", text.substr(0, lineEnd).c_str()) +
                QString::fromStdString(text.substr(lineEnd));
        }
    }
    // The program's texts break lines Windows-style; a label wants plain LF.
    s.replace("\r\n", "\n");
    s.replace('\r', '\n');
    return s;
}

QStringList qtNameFilters(const std::string& filter) {
    QStringList parts = QString::fromStdString(filter).split('|');
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        // The description in the user's language (see program_texts.cpp).
        QString desc =
            QCoreApplication::translate("FileTypes", parts[i].toUtf8().constData()).trimmed();
        QStringList patterns;
        for (const QString& raw : parts[i + 1].split(';', Qt::SkipEmptyParts)) {
            QString p = raw.trimmed();
            if (p == "*.*") p = "*";  // every file, with or without a dot
            if (!p.isEmpty()) patterns << p;
        }
        if (patterns.isEmpty()) patterns << "*";
        QString list = patterns.join(' ');
        // A description that already names its patterns in brackets is kept as it is.
        if (desc.endsWith(')') && desc.contains('(')) {
            qsizetype open = desc.lastIndexOf('(');
            QString named = desc.mid(open + 1, desc.size() - open - 2).trimmed();
            named.replace("*.*", "*");
            named.replace(';', ' ');
            if (named.simplified() == list) {
                // Already in Qt's own form: shown as written, blanks included.
                if (desc.mid(open + 1, desc.size() - open - 2) == list)
                    out << desc;
                else
                    out << desc.left(open).trimmed() + " (" + list + ")";
                continue;
            }
        }
        out << (desc.isEmpty() ? list : desc) + " (" + list + ")";
    }
    return out;
}

QWidget* QtDesktop::parentWidget() const {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    if (owner_) return owner_;
    return QApplication::activeWindow();
}

Answer QtDesktop::message(const std::string& text, const std::string& caption, Buttons buttons,
                          MessageIcon icon) {
    QMessageBox box(parentWidget());
    box.setWindowTitle(fromProgram(caption));
    box.setTextFormat(Qt::PlainText);
    box.setText(fromProgram(text));
    switch (icon) {
        case MessageIcon::None:
            box.setIcon(QMessageBox::NoIcon);
            break;
        case MessageIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case MessageIcon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case MessageIcon::Error:
            box.setIcon(QMessageBox::Critical);
            break;
        case MessageIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
    }
    QMessageBox::StandardButtons set;
    QMessageBox::StandardButton escape = QMessageBox::NoButton;
    switch (buttons) {
        case Buttons::Ok:
            set = QMessageBox::Ok;
            escape = QMessageBox::Ok;
            break;
        case Buttons::OkCancel:
            set = QMessageBox::Ok | QMessageBox::Cancel;
            escape = QMessageBox::Cancel;
            break;
        case Buttons::YesNo:
            set = QMessageBox::Yes | QMessageBox::No;
            escape = QMessageBox::No;
            break;
        case Buttons::YesNoCancel:
            set = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
            escape = QMessageBox::Cancel;
            break;
        case Buttons::RetryCancel:
            set = QMessageBox::Retry | QMessageBox::Cancel;
            escape = QMessageBox::Cancel;
            break;
        case Buttons::Retry:
            set = QMessageBox::Retry;
            escape = QMessageBox::Retry;
            break;
    }
    box.setStandardButtons(set);
    box.setEscapeButton(escape);
    // The desktop's own Retry carries its access key; Qt's plain one does not.
    if (QAbstractButton* retry = box.button(QMessageBox::Retry))
        retry->setText(QCoreApplication::translate("Messages", "&Retry"));
    // The first button is the default, as on the desktop the program came from.
    for (QMessageBox::StandardButton b : {QMessageBox::Ok, QMessageBox::Yes, QMessageBox::Retry})
        if (set & b) {
            box.setDefaultButton(b);
            break;
        }
    fitMessageBox(box);
    openMessages_.emplace_back(&box);
    const int chosen = box.exec();
    std::erase_if(openMessages_,
                  [&](const QPointer<QMessageBox>& open) { return open.isNull() || open == &box; });
    switch (chosen) {
        case QMessageBox::Ok:
            return Answer::Ok;
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        case QMessageBox::Retry:
            return Answer::Retry;
        default:
            return buttons == Buttons::Retry ? Answer::Retry
                   : buttons == Buttons::Ok  ? Answer::Ok
                                             : Answer::Cancel;
    }
}

void QtDesktop::closeMessage() {
    while (!openMessages_.empty() && openMessages_.back().isNull()) openMessages_.pop_back();
    if (openMessages_.empty()) return;
    QMessageBox* box = openMessages_.back();
    box->done(box->escapeButton() ? box->standardButton(box->escapeButton())
                                  : int(QMessageBox::Cancel));
}

void QtDesktop::errorBox(const std::string& text) {
    QString shown = fromProgram(text);
    // The standard error box ends its sentence.
    if (!shown.isEmpty() && !shown.endsWith('.')) shown += '.';
    QMessageBox box(parentWidget());
    box.setWindowTitle(QApplication::applicationDisplayName());
    box.setIcon(QMessageBox::Critical);
    box.setTextFormat(Qt::PlainText);
    box.setText(shown);
    box.setStandardButtons(QMessageBox::Ok);
    fitMessageBox(box);
    box.exec();
}

std::optional<fs::path> QtDesktop::fileDialog(const FileDialogRequest& request, bool save) {
    QFileDialog dialog(parentWidget(), QString::fromStdString(request.title));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // The program's save commands replace files without asking (and often write
    // names formed from the chosen one, not the chosen one itself).
    if (save) dialog.setOption(QFileDialog::DontConfirmOverwrite);
    QStringList filters = qtNameFilters(request.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        int index = std::clamp(request.filterIndex, 1, int(filters.size()));
        dialog.selectNameFilter(filters[index - 1]);
    }
    // "exe,dll": the first extension is the one added to a bare name.
    QString ext = QString::fromStdString(request.defaultExt).section(',', 0, 0).trimmed();
    if (ext.startsWith('.')) ext.remove(0, 1);
    if (!ext.isEmpty()) dialog.setDefaultSuffix(ext);
    if (!request.initial.empty()) {
        std::error_code ec;
        if (fs::is_directory(request.initial, ec))
            dialog.setDirectory(pathText(request.initial));
        else {
            if (request.initial.has_parent_path())
                dialog.setDirectory(pathText(request.initial.parent_path()));
            dialog.selectFile(pathText(request.initial.filename()));
        }
    }
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return std::nullopt;
    return toPath(chosen.first());
}

std::optional<fs::path> QtDesktop::openFile(const FileDialogRequest& request) {
    return fileDialog(request, false);
}

std::optional<fs::path> QtDesktop::saveFile(const FileDialogRequest& request) {
    return fileDialog(request, true);
}

std::optional<fs::path> QtDesktop::chooseFolder(const std::string& title) {
    QString dir = QFileDialog::getExistingDirectory(parentWidget(), fromProgram(title), QString(),
                                                    QFileDialog::ShowDirsOnly);
    if (dir.isEmpty()) return std::nullopt;
    return toPath(dir);
}

void QtDesktop::openWithDefaultHandler(const fs::path& path) {
    const std::string& s = path.native();
    // Web and mail addresses pass through the same hand-off as files.
    QUrl url;
    if (s.find("://") != std::string::npos || s.rfind("mailto:", 0) == 0)
        url = QUrl(QString::fromStdString(s));
    else
        url = QUrl::fromLocalFile(pathText(path));
    QDesktopServices::openUrl(url);
}

bool QtDesktop::openDocument(const fs::path& path) {
    const QString file = pathText(path);
    const QString type = QMimeDatabase().mimeTypeForFile(file).name();
    QProcess query;
    query.start("xdg-mime", {"query", "default", type});
    if (!query.waitForFinished(5000)) {
        query.kill();
        query.waitForFinished(1000);
        return false;
    }
    if (query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0 ||
        query.readAllStandardOutput().trimmed().isEmpty())
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

int QtDesktop::choose(const std::string& text, const std::string& caption,
                      const std::vector<std::string>& buttons, MessageIcon icon) {
    QMessageBox box(parentWidget());
    box.setWindowTitle(fromProgram(caption));
    box.setTextFormat(Qt::PlainText);
    box.setText(fromProgram(text));
    box.setIcon(icon == MessageIcon::Warning       ? QMessageBox::Warning
                : icon == MessageIcon::Error       ? QMessageBox::Critical
                : icon == MessageIcon::Information ? QMessageBox::Information
                : icon == MessageIcon::Question    ? QMessageBox::Question
                                                   : QMessageBox::NoIcon);
    std::vector<QPushButton*> made;
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const bool last = i + 1 == buttons.size();
        made.push_back(box.addButton(fromProgram(buttons[i]),
                                     last ? QMessageBox::RejectRole : QMessageBox::AcceptRole));
    }
    if (made.empty()) return -1;
    box.setDefaultButton(made.front());
    box.setEscapeButton(made.back());
    box.exec();
    const auto it = std::find(made.begin(), made.end(), box.clickedButton());
    return it == made.end() ? int(made.size()) - 1 : int(it - made.begin());
}

int QtDesktop::runModal(QDialog& dialog) {
    return dialog.exec();
}

PellimarApplication::PellimarApplication(int& argc, char** argv, Desktop& desktop)
    : QApplication(argc, argv), desktop_(desktop) {}

bool PellimarApplication::notify(QObject* receiver, QEvent* event) {
    // Handlers run through the guard themselves; this catches what slipped past
    // one. The error box waits until the event at hand is over: a modal box opened
    // in the middle of a paint or a key press would run it halfway.
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        reportLater(e.what());
    } catch (...) {
        // Something thrown that is no std::exception carries no text; the error box
        // still tells the person that the event's handler failed.
        reportLater("Unknown error");
    }
    return false;
}

void PellimarApplication::reportLater(const std::string& text) {
    QMetaObject::invokeMethod(
        this, [this, text] { desktop_.errorBox(text); }, Qt::QueuedConnection);
}

}  // namespace pellimar
