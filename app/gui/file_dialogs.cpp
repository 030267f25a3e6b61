#include "file_dialogs.h"

#include "editor/app_settings.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace qb41::gui {
namespace {

// "*.dat" -> "dat"; "*.*" and "*" -> "".
QString PatternSuffix(const QString& pattern) {
    const QString first = pattern.split(QLatin1Char(';')).value(0).trimmed();
    const int dot = first.lastIndexOf(QLatin1Char('.'));
    if (dot < 0) return {};
    const QString suffix = first.mid(dot + 1);
    return suffix.contains(QLatin1Char('*')) || suffix.contains(QLatin1Char('?')) ? QString()
                                                                                  : suffix;
}

// "a(*.a)|*.a|b(*.*)|*.*": the captions and the patterns, pair by pair.
struct FilterParts {
    QStringList captions;
    QStringList patterns;
};

FilterParts SplitFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    FilterParts split;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        split.captions << parts[i];
        split.patterns << parts[i + 1];
    }
    return split;
}

} // namespace

QString SuggestedSaveName(const QString& currentFile, const QString& filter) {
    const QString current = QFileInfo(currentFile).fileName();
    const QString pattern = SplitFilter(filter).patterns.value(0);
    if (!current.isEmpty() &&
        QFileInfo(current).suffix().toLower() == QFileInfo(pattern).suffix().toLower())
        return current;
    return WithFilterSuffix(current.isEmpty() ? QStringLiteral("radio")
                                              : QFileInfo(current).completeBaseName(),
                            pattern);
}

QString WithFilterSuffix(const QString& name, const QString& pattern) {
    const QString suffix = PatternSuffix(pattern);
    if (name.isEmpty() || suffix.isEmpty() || !QFileInfo(name).suffix().isEmpty()) return name;
    return name + QLatin1Char('.') + suffix;
}

QString FileDialogs::startFolder() const {
    const QString folder = QString::fromStdString(editor::ReadLastFolder(store_));
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QDir::homePath();
}

QString FileDialogs::ask(QWidget* parent, const FileDialogRequest& request) {
    const FilterParts split = SplitFilter(request.filter);
    const QStringList& captions = split.captions;
    const QStringList& patterns = split.patterns;
    QFileDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("fileDialog"));
    dialog.setDirectory(startFolder());
    dialog.setNameFilters(captions);
    const auto suffixFor = [&](const QString& caption) {
        const qsizetype index = captions.indexOf(caption);
        return index < 0 ? QString() : PatternSuffix(patterns[index]);
    };
    dialog.setDefaultSuffix(suffixFor(captions.value(0)));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&](const QString& caption) { dialog.setDefaultSuffix(suffixFor(caption)); });
    if (request.save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        if (!request.suggestedName.isEmpty()) dialog.selectFile(request.suggestedName);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setOption(QFileDialog::ReadOnly, true);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    QString name = dialog.selectedFiles().front();
    if (request.save) {
        const qsizetype index = captions.indexOf(dialog.selectedNameFilter());
        name = WithFilterSuffix(name, patterns.value(index < 0 ? 0 : index));
    }
    const QFileInfo chosen(name);
    editor::SaveLastFolder(store_, QDir::toNativeSeparators(chosen.absolutePath()).toStdString());
    return chosen.absoluteFilePath();
}

} // namespace qb41::gui
