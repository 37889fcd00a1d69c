#include "shell/directory_model.h"

#include <QColor>

#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QSet>
#include <QUrl>

#include "viewer/session.h"

DirectoryModel::DirectoryModel(const kestrune::Session& session, QObject* parent)
    : QAbstractTableModel(parent), session_(session) {}

int DirectoryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count_;
}

int DirectoryModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kestrune::kColumnCount;
}

QVariant DirectoryModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count_) return {};
    if (role == Qt::DisplayRole) {
        const std::u16string_view text = session_.Row(index.row())[index.column()];
        return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
    }
    if (role == Qt::TextAlignmentRole) {
        return static_cast<int>(kListColumns[index.column()].alignment | Qt::AlignVCenter);
    }
    if (role == kNameBytesRole) {
        const std::array<std::uint8_t, 16> name = session_.RowNameBytes(index.row());
        return QByteArray(reinterpret_cast<const char*>(name.data()), name.size());
    }
    // A file whose chain crosses sectors with errors shows in red; its tooltip names them.
    if (role == Qt::ToolTipRole || role == Qt::ForegroundRole) {
        const std::u16string errors = session_.RowErrors(index.row());
        if (errors.empty()) return {};
        if (role == Qt::ForegroundRole) return QColor(200, 0, 0);
        return QString::fromUtf16(errors.data(), static_cast<qsizetype>(errors.size()));
    }
    return {};
}

QVariant DirectoryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kestrune::kColumnCount)
        return {};
    if (role == Qt::DisplayRole) return QString::fromLatin1(kListColumns[section].heading);
    if (role == Qt::TextAlignmentRole)
        return static_cast<int>(kListColumns[section].alignment | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags DirectoryModel::flags(const QModelIndex& index) const {
    return QAbstractTableModel::flags(index) | Qt::ItemIsDragEnabled;
}

QStringList DirectoryModel::mimeTypes() const {
    return {QStringLiteral("text/uri-list")};
}

QMimeData* DirectoryModel::mimeData(const QModelIndexList& indexes) const {
    QList<QUrl> urls;
    QSet<int> rows;
    for (const QModelIndex& index : indexes) {
        if (!index.isValid() || rows.contains(index.row())) continue;
        rows.insert(index.row());
        const std::optional<kestrune::ExportedFile> file =
            session_.ExportFile(index.row(), kestrune::ExportFormat::Native);
        if (!file) continue;
        // Each file gets a folder of its own, so a name never meets an earlier file.
        if (!dragged_ || !dragged_->isValid()) dragged_ = std::make_unique<QTemporaryDir>();
        const QString folder = dragged_->filePath(QString::number(drags_++));
        QDir().mkpath(folder);
        QFile out(folder + QLatin1Char('/') + QString::fromStdString(file->fileName));
        const auto size = static_cast<qint64>(file->bytes.size());
        if (out.open(QIODevice::WriteOnly) &&
            out.write(reinterpret_cast<const char*>(file->bytes.data()), size) == size) {
            urls.append(QUrl::fromLocalFile(out.fileName()));
        }
    }
    if (urls.isEmpty()) return nullptr;
    auto* data = new QMimeData;
    data->setUrls(urls);
    return data;
}

void DirectoryModel::Clear() {
    if (count_ == 0) return;
    beginRemoveRows({}, 0, count_ - 1);
    count_ = 0;
    endRemoveRows();
}

void DirectoryModel::Reload() {
    Clear();
    if (session_.RowCount() > 0) {
        beginInsertRows({}, 0, session_.RowCount() - 1);
        count_ = session_.RowCount();
        endInsertRows();
    }
}

void DirectoryModel::Reorder() {
    if (count_ > 0) emit dataChanged(index(0, 0), index(count_ - 1, kestrune::kColumnCount - 1));
}
