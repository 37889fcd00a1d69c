#include "shell/directory_model.h"

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
