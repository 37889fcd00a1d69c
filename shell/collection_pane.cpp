#include "shell/collection_pane.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "shell/table_rows_model.h"
#include "text/number_text.h"

using namespace kestrune;

namespace {

// The most hits a find shows; more are counted, not listed.
constexpr std::size_t kMostHits = 1000;
// The most duplicated files listed.
constexpr std::size_t kMostDuplicates = 2000;
// How long the typing rests before its find runs, and how often the image list follows an
// indexing.
constexpr int kTypingPauseMs = 150;
constexpr int kRefreshMs = 1000;

// The query box's kinds, in the order of its menu.
enum QueryKind { QueryName, QueryText, QueryBytes, QueryLoad };

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString FromPath(const std::string& path) {
    return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

QString Grouped(std::uint64_t value) {
    return QString::fromStdU16String(GroupedDecimal(value));
}

QString HexAddress(int address) {
    std::u16string text = u"$";
    AppendHex(text, static_cast<std::uint32_t>(address), 4, true);
    return QString::fromStdU16String(text);
}

QTableView* MakeTable(TableRowsModel* model, QWidget* parent) {
    auto* view = new QTableView(parent);
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setShowGrid(false);
    view->setWordWrap(false);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
    view->horizontalHeader()->setStretchLastSection(true);
    view->horizontalHeader()->setHighlightSections(false);
    return view;
}

}  // namespace

CollectionPane::CollectionPane(const std::string& catalogPath, QWidget* parent)
    : QWidget(parent), tasks_(catalogPath) {
    setObjectName(QStringLiteral("collectionPane"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);

    auto* top = new QHBoxLayout;
    title_ = new QLabel(this);
    title_->setObjectName(QStringLiteral("collectionFolder"));
    title_->setTextFormat(Qt::PlainText);
    title_->setMinimumWidth(1);
    auto* close = new QToolButton(this);
    close->setObjectName(QStringLiteral("closeCollection"));
    close->setText(QStringLiteral("\u00D7"));
    close->setToolTip(tr("Close the folder"));
    close->setAutoRaise(true);
    connect(close, &QToolButton::clicked, this, &CollectionPane::closeRequested);
    top->addWidget(title_, 1);
    top->addWidget(close);
    layout->addLayout(top);

    auto* indexing = new QHBoxLayout;
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("indexProgress"));
    progress_->setFormat(tr("%v of %m files"));
    cancel_ = new QPushButton(tr("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("cancelIndexing"));
    cancel_->setAutoDefault(false);
    connect(cancel_, &QPushButton::clicked, this, [this] {
        tasks_.Cancel();
        cancel_->setEnabled(false);
    });
    indexing->addWidget(progress_, 1);
    indexing->addWidget(cancel_);
    layout->addLayout(indexing);
    state_ = new QLabel(this);
    state_->setObjectName(QStringLiteral("collectionState"));
    state_->setTextFormat(Qt::PlainText);
    state_->setWordWrap(true);
    layout->addWidget(state_);

    // The tabs' keys are letters the window's menus, view buttons and panes leave free (Alt+F is
    // the File menu's).
    tabs_ = new QTabWidget(this);
    layout->addWidget(tabs_, 1);

    images_ = new TableRowsModel({tr("Image"), tr("Format"), tr("Disk name"), tr("Files")}, this);
    imagesView_ = MakeTable(images_, tabs_);
    imagesView_->setObjectName(QStringLiteral("collectionImages"));
    imagesView_->horizontalHeader()->setStretchLastSection(false);
    imagesView_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    imagesView_->setColumnWidth(
        1, imagesView_->fontMetrics().horizontalAdvance(QStringLiteral("FormatX")));
    imagesView_->setColumnWidth(
        2, imagesView_->fontMetrics().horizontalAdvance(QStringLiteral("MMMMMMMMMMMM")));
    imagesView_->setColumnWidth(
        3, imagesView_->fontMetrics().horizontalAdvance(QStringLiteral("Files99")));
    tabs_->addTab(imagesView_, tr("Ima&ges"));
    connect(imagesView_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!showing_ && current.isValid()) ChooseImage(current.row());
            });

    auto* find = new QWidget(tabs_);
    auto* findLayout = new QVBoxLayout(find);
    findLayout->setContentsMargins(2, 2, 2, 2);
    auto* ask = new QHBoxLayout;
    kind_ = new QComboBox(find);
    kind_->setObjectName(QStringLiteral("queryKind"));
    kind_->addItems({tr("Name"), tr("Text"), tr("Hex bytes"), tr("Load address")});
    query_ = new QLineEdit(find);
    query_->setObjectName(QStringLiteral("collectionQuery"));
    query_->setClearButtonEnabled(true);
    query_->setPlaceholderText(tr("Part of a name, or a pattern: game*"));
    ask->addWidget(kind_);
    ask->addWidget(query_, 1);
    findLayout->addLayout(ask);
    hitCount_ = new QLabel(find);
    hitCount_->setObjectName(QStringLiteral("hitCount"));
    hitCount_->setTextFormat(Qt::PlainText);
    findLayout->addWidget(hitCount_);
    hits_ =
        new TableRowsModel({tr("Image"), tr("File"), tr("Type"), tr("Blocks"), tr("Load")}, this);
    hitsView_ = MakeTable(hits_, find);
    hitsView_->setObjectName(QStringLiteral("collectionHits"));
    hitsView_->horizontalHeader()->setStretchLastSection(false);
    hitsView_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    const QFontMetrics metrics = hitsView_->fontMetrics();
    hitsView_->setColumnWidth(1, metrics.horizontalAdvance(QStringLiteral("MMMMMMMMMMMM")));
    hitsView_->setColumnWidth(2, metrics.horizontalAdvance(QStringLiteral("Type99")));
    hitsView_->setColumnWidth(3, metrics.horizontalAdvance(QStringLiteral("Blocks9")));
    hitsView_->setColumnWidth(4, metrics.horizontalAdvance(QStringLiteral("$C000999")));
    findLayout->addWidget(hitsView_, 1);
    tabs_->addTab(find, tr("Fi&nd"));
    connect(hitsView_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!showing_ && current.isValid()) ChooseHit(current.row());
            });

    typing_ = new QTimer(this);
    typing_->setSingleShot(true);
    typing_->setInterval(kTypingPauseMs);
    connect(typing_, &QTimer::timeout, this, &CollectionPane::AskFind);
    connect(query_, &QLineEdit::textChanged, typing_, qOverload<>(&QTimer::start));
    connect(kind_, &QComboBox::currentIndexChanged, this, [this](int kind) {
        static const std::array<const char*, 4> hints = {
            QT_TR_NOOP("Part of a name, or a pattern: game*"),
            QT_TR_NOOP("Part of a listing or a text"),
            QT_TR_NOOP("Bytes in hexadecimal, ?? for any: a9 ?? 8d"),
            QT_TR_NOOP("$c000, 0xc000 or 49152")};
        query_->setPlaceholderText(tr(hints[static_cast<std::size_t>(kind)]));
        AskFind();
    });

    duplicates_ = new QTreeWidget(tabs_);
    duplicates_->setObjectName(QStringLiteral("collectionDuplicates"));
    duplicates_->setHeaderLabels({tr("File"), tr("Where")});
    duplicates_->setUniformRowHeights(true);
    tabs_->addTab(duplicates_, tr("Duplicates"));
    connect(duplicates_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (!showing_ && item != nullptr) ChoosePlace(item);
    });

    refresh_ = new QTimer(this);
    refresh_->setInterval(kRefreshMs);
    connect(refresh_, &QTimer::timeout, this, [this] { AskImages(false); });

    connect(&tasks_, &CollectionTasks::progressed, this, [this](qulonglong done, qulonglong total) {
        progress_->setMaximum(static_cast<int>(std::max<qulonglong>(total, 1)));
        progress_->setValue(static_cast<int>(done));
    });
    connect(&tasks_, &CollectionTasks::indexed, this, &CollectionPane::ShowIndexed);
    connect(&tasks_, &CollectionTasks::answered, this, &CollectionPane::ShowAnswer);
}

CollectionPane::~CollectionPane() = default;

void CollectionPane::ShowFolder(const QString& folder) {
    const QString absolute = QDir(folder).absolutePath();
    folder_ = QFile::encodeName(absolute).toStdString();
    if (!folder_.ends_with('/')) folder_ += '/';
    title_->setText(QDir::toNativeSeparators(absolute));
    title_->setToolTip(title_->text());
    progress_->setRange(0, 0);
    progress_->show();
    cancel_->show();
    cancel_->setEnabled(true);
    state_->setText(tr("Indexing..."));
    tasks_.Index(folder_);
    refresh_->start();
    AskImages(true);
    AskFind();
}

bool CollectionPane::OpenAdjacentImage(int step) {
    if (imageRows_.empty()) return false;
    const int current = imagesView_->currentIndex().isValid() ? imagesView_->currentIndex().row()
                                                              : (step > 0 ? -1 : 0);
    const int next = current + step;
    if (next < 0 || next >= static_cast<int>(imageRows_.size())) return false;
    imagesView_->setCurrentIndex(images_->index(next, 0));
    imagesView_->scrollTo(images_->index(next, 0));
    return true;
}

void CollectionPane::AskImages(bool withDuplicates) {
    CollectionQuestion question;
    question.kind = CollectionQuestion::Kind::Images;
    question.folder = folder_;
    imagesAsked_ = tasks_.Ask(question);
    if (!withDuplicates) return;
    question.kind = CollectionQuestion::Kind::Duplicates;
    duplicatesAsked_ = tasks_.Ask(question);
}

void CollectionPane::AskFind() {
    typing_->stop();
    const QString typed = query_->text().trimmed();
    if (typed.isEmpty() || folder_.empty()) {
        findAsked_ = 0;
        hitCount_->clear();
        ShowHits({});
        return;
    }
    CollectionQuestion question;
    question.kind = CollectionQuestion::Kind::Find;
    question.query.folder = folder_;
    question.query.limit = kMostHits + 1;
    const std::string text = typed.toStdString();
    switch (kind_->currentIndex()) {
        case QueryName:
            question.query.name = text;
            break;
        case QueryText:
            question.query.text = text;
            break;
        case QueryBytes:
            question.query.bytes = ParseBytePattern(text);
            if (!question.query.bytes) {
                hitCount_->setText(tr("Type bytes as two hexadecimal digits each, ?? for any"));
                findAsked_ = 0;
                ShowHits({});
                return;
            }
            break;
        case QueryLoad:
            if (const std::optional<std::uint16_t> load = ParseLoadAddress(text)) {
                question.query.load = *load;
            } else {
                hitCount_->setText(tr("Type an address: $c000, 0xc000 or 49152"));
                findAsked_ = 0;
                ShowHits({});
                return;
            }
            break;
    }
    hitCount_->setText(tr("Finding..."));
    findAsked_ = tasks_.Ask(question);
}

void CollectionPane::ShowAnswer(const CollectionAnswer& answer) {
    switch (answer.kind) {
        case CollectionQuestion::Kind::Images:
            if (answer.number != imagesAsked_) return;
            if (!answer.error.isEmpty()) state_->setText(answer.error);
            ShowImages(answer.images);
            break;
        case CollectionQuestion::Kind::Find:
            if (answer.number != findAsked_) return;
            if (!answer.error.isEmpty()) {
                hitCount_->setText(answer.error);
            } else if (answer.hits.size() > kMostHits) {
                hitCount_->setText(tr("The first %1 files found").arg(Grouped(kMostHits)));
            } else {
                hitCount_->setText(answer.hits.size() == 1
                                       ? tr("1 file found")
                                       : tr("%1 files found").arg(Grouped(answer.hits.size())));
            }
            ShowHits(answer.hits);
            break;
        case CollectionQuestion::Kind::Duplicates:
            if (answer.number != duplicatesAsked_) return;
            ShowDuplicates(answer.duplicates);
            break;
    }
}

QString CollectionPane::Label(const std::string& path, const std::optional<std::string>& member,
                              const std::vector<int>& partition) const {
    QString label = FromPath(path.starts_with(folder_) ? path.substr(folder_.size()) : path);
    if (member) label += QLatin1Char('/') + FromUtf8(*member);
    for (const int row : partition)
        label += QStringLiteral(" > %1").arg(row);
    return label;
}

void CollectionPane::ShowImages(std::vector<FolderImage> images) {
    // The image chosen stays chosen when the list is filled again.
    std::optional<std::size_t> chosen;
    const QModelIndex current = imagesView_->currentIndex();
    showing_ = true;
    std::optional<FolderImage> was;
    if (current.isValid() && static_cast<std::size_t>(current.row()) < imageRows_.size())
        was = imageRows_[static_cast<std::size_t>(current.row())];
    imageRows_ = std::move(images);
    if (was) {
        for (std::size_t i = 0; i < imageRows_.size(); ++i) {
            if (imageRows_[i].path == was->path && imageRows_[i].member == was->member &&
                imageRows_[i].partition == was->partition) {
                chosen = i;
                break;
            }
        }
    }
    images_->Show(static_cast<int>(imageRows_.size()), [this](int row, int column, int role) {
        const FolderImage& image = imageRows_[static_cast<std::size_t>(row)];
        if (role == Qt::ToolTipRole) {
            const QString label = Label(image.path, image.member, image.partition);
            return QVariant(image.error ? label + QLatin1Char('\n') + FromUtf8(*image.error)
                                        : label);
        }
        if (role != Qt::DisplayRole) return QVariant();
        switch (column) {
            case 0:
                return QVariant(Label(image.path, image.member, image.partition));
            case 1:
                return QVariant(FromUtf8(image.format).toUpper());
            case 2:
                return QVariant(FromUtf8(image.diskName));
            default:
                return QVariant(image.error ? tr("not read") : Grouped(image.files));
        }
    });
    if (chosen) imagesView_->setCurrentIndex(images_->index(static_cast<int>(*chosen), 0));
    showing_ = false;
}

void CollectionPane::ShowHits(std::vector<CatalogHit> hits) {
    showing_ = true;
    hitRows_ = std::move(hits);
    if (hitRows_.size() > kMostHits) hitRows_.resize(kMostHits);
    hits_->Show(static_cast<int>(hitRows_.size()), [this](int row, int column, int role) {
        const CatalogHit& hit = hitRows_[static_cast<std::size_t>(row)];
        if (role == Qt::ToolTipRole && column == 0)
            return QVariant(Label(hit.image, hit.member, hit.partition));
        if (role != Qt::DisplayRole) return QVariant();
        switch (column) {
            case 0:
                return QVariant(Label(hit.image, hit.member, hit.partition));
            case 1:
                return QVariant(FromUtf8(hit.name));
            case 2:
                return QVariant(FromUtf8(hit.type));
            case 3:
                return QVariant(hit.blocks);
            default:
                return hit.load ? QVariant(HexAddress(*hit.load)) : QVariant();
        }
    });
    showing_ = false;
}

void CollectionPane::ShowDuplicates(const Duplicates& duplicates) {
    showing_ = true;
    duplicates_->clear();
    // The index may hold other folders too: only the places in this one count.
    std::size_t found = 0;
    for (const DuplicateFile& file : duplicates.files) {
        std::vector<const DuplicatePlace*> here;
        for (const DuplicatePlace& place : file.places) {
            if (place.image.starts_with(folder_)) here.push_back(&place);
        }
        if (here.size() < 2 || ++found > kMostDuplicates) continue;
        auto* group = new QTreeWidgetItem(duplicates_);
        group->setText(0, FromUtf8(here.front()->name));
        const QString places = tr("%1 places").arg(Grouped(here.size()));
        group->setText(1, file.size == 1 ? tr("%1, 1 byte").arg(places)
                                         : tr("%1, %2 bytes").arg(places, Grouped(file.size)));
        group->setFlags(Qt::ItemIsEnabled);
        for (const DuplicatePlace* in : here) {
            const DuplicatePlace& place = *in;
            auto* item = new QTreeWidgetItem(group);
            item->setText(0, FromUtf8(place.name));
            item->setText(1, Label(place.image, place.member, place.partition));
            item->setData(0, Qt::UserRole, FromPath(place.image));
            item->setData(1, Qt::UserRole, place.member ? FromUtf8(*place.member) : QVariant());
            QVariantList rows;
            for (const int row : place.partition)
                rows << row;
            item->setData(0, Qt::UserRole + 1, rows);
            item->setData(1, Qt::UserRole + 1, place.row);
        }
    }
    duplicates_->resizeColumnToContents(0);
    tabs_->setTabText(2, found == 0 ? tr("Duplicates") : tr("Duplicates (%1)").arg(Grouped(found)));
    showing_ = false;
}

void CollectionPane::ShowIndexed(const QString& summary, const QStringList& problems,
                                 bool cancelled) {
    refresh_->stop();
    progress_->hide();
    cancel_->hide();
    QString text = cancelled ? tr("Indexing cancelled: %1").arg(summary) : summary;
    if (!problems.isEmpty()) {
        text += QLatin1Char('\n') +
                (problems.size() == 1 ? tr("1 problem:") : tr("%1 problems:").arg(problems.size()));
        for (qsizetype i = 0; i < std::min<qsizetype>(problems.size(), 3); ++i)
            text += QLatin1Char('\n') + problems[i];
    }
    state_->setText(text);
    state_->setToolTip(problems.join(QLatin1Char('\n')));
    AskImages(true);
    AskFind();
}

void CollectionPane::ChooseImage(int row) {
    const FolderImage& image = imageRows_[static_cast<std::size_t>(row)];
    emit placeChosen({FromPath(image.path), image.member, image.partition, 0});
}

void CollectionPane::ChooseHit(int row) {
    const CatalogHit& hit = hitRows_[static_cast<std::size_t>(row)];
    emit placeChosen({FromPath(hit.image), hit.member, hit.partition, hit.row});
}

void CollectionPane::ChoosePlace(QTreeWidgetItem* item) {
    if (item->parent() == nullptr) return;
    CollectionPlace place;
    place.path = item->data(0, Qt::UserRole).toString();
    if (const QVariant member = item->data(1, Qt::UserRole); member.isValid())
        place.member = member.toString().toStdString();
    for (const QVariant& row : item->data(0, Qt::UserRole + 1).toList())
        place.partition.push_back(row.toInt());
    place.row = item->data(1, Qt::UserRole + 1).toInt();
    emit placeChosen(place);
}
