// The file list's model: the Session's rows, in the order the Session keeps them, seven columns of
// text. The list only shows them; nothing is ever read back from it.
#pragma once

#include <QAbstractTableModel>
#include <QTemporaryDir>

#include <array>
#include <memory>

#include "viewer/row_texts.h"

namespace kestrune {
class Session;
}

struct ListColumn {
    const char* heading;
    Qt::Alignment alignment;
    int width;  // pixels at the start; the GEOS column starts closed and can be dragged open
};

inline constexpr std::array<ListColumn, kestrune::kColumnCount> kListColumns = {{
    {"Size", Qt::AlignLeft, 40},
    {"File Name", Qt::AlignLeft, 145},
    {"Type", Qt::AlignLeft, 50},
    {"Start", Qt::AlignRight, 110},
    {"Track", Qt::AlignHCenter, 50},
    {"Sector", Qt::AlignLeft, 55},
    {"GEOS", Qt::AlignLeft, 0},
}};

// The data role of a row's name as its own 16 PETSCII bytes (a QByteArray), for drawing it in
// the C64's character set.
inline constexpr int kNameBytesRole = Qt::UserRole + 1;

class DirectoryModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    DirectoryModel(const kestrune::Session& session, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // A row dragged out of the list is its file: written into a folder of the model's own under
    // its entry's name, and handed over as that file's URL, for a file manager to copy.
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;

    // Follows the session: its rows were replaced (a load, a close) or put in a new order (a
    // sort, a revert). Only the rows change; the columns and their widths stay.
    void Reload();
    void Reorder();
    // Forgets the rows before the session replaces them.
    void Clear();

  private:
    const kestrune::Session& session_;
    int count_ = 0;                                   // the rows the views know of
    mutable std::unique_ptr<QTemporaryDir> dragged_;  // the files of rows dragged out
    mutable int drags_ = 0;
};
