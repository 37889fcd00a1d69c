#include "shell/disk_pane.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
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
    scroll->setWidgetResizable(false);
    scroll->setBackgroundRole(QPalette::Window);

    title_ = new QLabel(tr("Click a sector to see its bytes."));
    title_->setWordWrap(true);
    follow_ = new QPushButton(tr("Follow link"));
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

    report_ = new TextPane(TextPane::Wrap::Words);
    report_->setObjectName(QStringLiteral("checkReport"));
    tabs_ = new QTabWidget;
    tabs_->addTab(sectorPage, tr("Sector"));
    tabs_->addTab(report_, tr("Check"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll, 3);
    layout->addWidget(tabs_, 2);

    connect(map_, &DiskMapView::sectorChosen, this, &DiskPane::chooseSector);
    connect(follow_, &QPushButton::clicked, this, &DiskPane::followLink);
}

void DiskPane::Reload() {
    map_->setMap(&session_.Map(), [this](int track, int sector) {
        return Text(session_.SectorDescription(track, sector));
    });
    map_->setChosen(0, -1);
    title_->setText(session_.Map().tracks.empty() ? tr("This image holds files, not sectors.")
                                                  : tr("Click a sector to see its bytes."));
    sectorHex_->setText({});
    follow_->setEnabled(false);
    const std::vector<kestrune::Finding>& findings = session_.Findings();
    std::u16string report;
    for (const kestrune::Finding& finding : findings)
        report += finding.text + u"\r\n";
    report += kestrune::Widen(std::to_string(findings.size()));
    report += findings.size() == 1 ? u" finding." : u" findings.";
    report_->setText(std::move(report));
    tabs_->setTabText(1, tr("Check (%1)").arg(findings.size()));
}

void DiskPane::setHighlightRow(int row) {
    map_->setHighlightRow(row);
}

void DiskPane::chooseSector(int track, int sector) {
    map_->setChosen(track, sector);
    title_->setText(Text(session_.SectorDescription(track, sector)));
    sectorHex_->setText(session_.SectorHex(track, sector));
    tabs_->setCurrentIndex(0);
    linkTrack_ = 0;
    for (const kestrune::MapTrack& mapped : session_.Map().tracks) {
        if (mapped.track != track || sector >= static_cast<int>(mapped.sectors.size())) continue;
        linkTrack_ = mapped.sectors[static_cast<std::size_t>(sector)].linkTrack;
        linkSector_ = mapped.sectors[static_cast<std::size_t>(sector)].linkSector;
    }
    // A link the map does not have (the last block's, a damaged one) cannot be followed.
    const bool followable = linkTrack_ != 0 && !map_->cellRect(linkTrack_, linkSector_).isEmpty();
    follow_->setEnabled(followable);
    follow_->setText(linkTrack_ != 0 ? tr("Follow link to %1/%2").arg(linkTrack_).arg(linkSector_)
                                     : tr("Follow link"));
}

void DiskPane::followLink() {
    if (linkTrack_ == 0) return;
    chooseSector(linkTrack_, linkSector_);
}
