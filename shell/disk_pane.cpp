#include "shell/disk_pane.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVBoxLayout>

#include "shell/disk_map_view.h"
#include "shell/text_pane.h"
#include "text/unicode.h"

namespace {

QString Text(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

DiskPane::DiskPane(const kestrune::Session& session, QWidget* parent)
    : QWidget(parent), session_(session) {
    map_ = new DiskMapView;
    map_->setObjectName(QStringLiteral("diskMap"));
    auto* scroll = new QScrollArea;
    scroll->setWidget(map_);
    scroll->setWidgetResizable(true);
    scroll->setBackgroundRole(QPalette::Window);

    title_ = new QLabel;
    title_->setWordWrap(true);
    follow_ = new QPushButton(tr("Fo&llow link"));
    follow_->setObjectName(QStringLiteral("followLink"));
    follow_->setEnabled(false);
    sectorHex_ = new TextPane(TextPane::Wrap::None);
    sectorHex_->setObjectName(QStringLiteral("sectorBytes"));
    auto* sectorPage = new QWidget;
    auto* sectorLayout = new QVBoxLayout(sectorPage);
    auto* titleRow = new QHBoxLayout;
    titleRow->addWidget(title_, 1);
    titleRow->addWidget(follow_);
    sectorLayout->addLayout(titleRow);
    sectorLayout->addWidget(sectorHex_, 1);

    findings_ = new QListWidget;
    findings_->setObjectName(QStringLiteral("checkFindings"));
    findings_->setWordWrap(true);
    findings_->setToolTip(tr("Click a finding to see its file and its sector"));
    tabs_ = new QTabWidget;
    tabs_->addTab(sectorPage, tr("Secto&r"));
    tabs_->addTab(findings_, tr("Chec&k"));

    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll, 3);
    legend_ = new DiskMapLegend;
    legend_->setObjectName(QStringLiteral("diskLegend"));
    layout->addWidget(legend_);
    layout->addWidget(tabs_, 2);

    notice_ = new QLabel;
    notice_->setObjectName(QStringLiteral("diskNotice"));
    notice_->setAlignment(Qt::AlignCenter);
    notice_->setWordWrap(true);

    stack_ = new QStackedWidget;
    stack_->addWidget(content);
    stack_->addWidget(notice_);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(stack_);

    connect(map_, &DiskMapView::sectorChosen, this, &DiskPane::chooseSector);
    connect(follow_, &QPushButton::clicked, this, &DiskPane::followLink);
    connect(findings_, &QListWidget::currentRowChanged, this, &DiskPane::chooseFinding);
}

QString DiskPane::notice() const {
    return stack_->currentWidget() == notice_ ? notice_->text() : QString();
}

void DiskPane::Reload() {
    map_->setMap(session_.Map(), [this](int track, int sector) {
        return Text(session_.SectorDescription(track, sector));
    });
    map_->setChosen(0, -1);
    title_->setText(tr("Click a sector to see its bytes."));
    sectorHex_->setText({});
    follow_->setEnabled(false);
    const QSignalBlocker quiet(findings_);
    findings_->clear();
    const std::vector<kestrune::Finding>& findings = session_.Findings();
    for (const kestrune::Finding& finding : findings)
        findings_->addItem(Text(finding.text));
    tabs_->setTabText(1, tr("Chec&k (%1)").arg(findings.size()));
    tabs_->setCurrentIndex(0);
    // Without an image, or for one of files without sectors, there is no map: the pane says so.
    const std::string_view format = session_.Format();
    if (format.empty()) {
        notice_->setText(tr("No image is open."));
    } else if (session_.Map().tracks.empty()) {
        notice_->setText(
            tr("This %1 holds files, not sectors: it has no sector map.")
                .arg(QString::fromLatin1(format.data(), static_cast<qsizetype>(format.size()))
                         .toUpper()));
    }
    stack_->setCurrentWidget(format.empty() || session_.Map().tracks.empty() ? notice_
                                                                             : stack_->widget(0));
}

void DiskPane::setHighlightRow(int row) {
    map_->setHighlightRow(row);
}

void DiskPane::chooseSector(int track, int sector) {
    ShowSector(track, sector);
    tabs_->setCurrentIndex(0);
}

void DiskPane::ShowSector(int track, int sector) {
    map_->setChosen(track, sector);
    title_->setText(Text(session_.SectorDescription(track, sector)));
    sectorHex_->setText(session_.SectorHex(track, sector));
    linkTrack_ = 0;
    for (const kestrune::MapTrack& mapped : session_.Map().tracks) {
        if (mapped.track != track || sector >= static_cast<int>(mapped.sectors.size())) continue;
        linkTrack_ = mapped.sectors[static_cast<std::size_t>(sector)].linkTrack;
        linkSector_ = mapped.sectors[static_cast<std::size_t>(sector)].linkSector;
    }
    // A link the map does not have (the last block's, a damaged one) cannot be followed.
    const bool followable = linkTrack_ != 0 && !map_->cellRect(linkTrack_, linkSector_).isEmpty();
    follow_->setEnabled(followable);
    follow_->setText(linkTrack_ != 0 ? tr("Fo&llow link to %1/%2").arg(linkTrack_).arg(linkSector_)
                                     : tr("Fo&llow link"));
}

void DiskPane::followLink() {
    if (linkTrack_ == 0) return;
    chooseSector(linkTrack_, linkSector_);
}

void DiskPane::chooseFinding(int index) {
    const std::vector<kestrune::Finding>& findings = session_.Findings();
    if (index < 0 || index >= static_cast<int>(findings.size())) return;
    const kestrune::Finding& finding = findings[static_cast<std::size_t>(index)];
    const int row = finding.rows.empty() ? 0 : finding.rows.front();
    emit findingChosen(row, finding.track, finding.sector);
    // The sector is chosen in the map; the findings stay on view.
    ShowSector(finding.track, finding.sector);
}
