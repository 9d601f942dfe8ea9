#include "app/forms/options_form.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>

#include <vector>

#include "engine/dialogs/engine_dialogs.h"
#include "platform/help.h"

namespace pelira {

namespace {

using Get = bool (*)(const OptionsValues&);
using Set = void (*)(OptionsValues&, bool);

// One check box: its page, the group box it sits in (empty: on the page), object name,
// caption, hint and the setting it carries.
struct CheckRow {
  OptionsPage page;
  const char* group;
  const char* name;
  const char* caption;
  const char* hint;
  Get get;
  Set set;
};

#define FLAG(field) [](const OptionsValues& v) { return static_cast<bool>(v.field); }, \
                    [](OptionsValues& v, bool on) { v.field = on; }
#define NUMBER_FLAG(field) [](const OptionsValues& v) { return v.field == 1; }, \
                           [](OptionsValues& v, bool on) { v.field = on ? 1 : 0; }

const CheckRow kChecks[] = {
    {OptionsPage::Viewer, "", "chkAutoSize", "Auto Si&ze", "", FLAG(viewer.autoSize)},
    {OptionsPage::Viewer, "", "chkAutoCenter", "Auto Ce&nter", "", FLAG(viewer.autoCenter)},
    {OptionsPage::Viewer, "Controls", "chkMenus", "&Menus", "", FLAG(viewer.menuBar)},
    {OptionsPage::Viewer, "Controls", "chkToolBar", "&Tool bar", "", FLAG(viewer.toolBar)},
    {OptionsPage::Viewer, "Controls", "chkButtonText", "&Button text", "", FLAG(viewer.buttonText)},
    {OptionsPage::Viewer, "Controls", "chkPathBox", "&Path box", "", FLAG(viewer.pathBox)},
    {OptionsPage::Viewer, "Controls", "chkStatusBar", "&Status bar", "", FLAG(viewer.statusBar)},
    {OptionsPage::Viewer, "Controls", "chkMaxFullScreen", "Max &Full screen", "", FLAG(viewer.maxFullScreen)},
    {OptionsPage::Viewer, "Controls", "chkWithMenus", "with Men&us", "", FLAG(viewer.maxFullScreenWithMenus)},
    {OptionsPage::Viewer, "", "chkMerge", "M&erge Tool bar and Path box", "", FLAG(viewer.mergeToolbar)},
    {OptionsPage::Viewer, "", "chkLogVisited", "&Log visited folders", "", NUMBER_FLAG(viewer.logVisitedFolders)},
    {OptionsPage::Viewer, "", "chkWheelNavigation", "Mouse &wheel navigation", "", NUMBER_FLAG(viewer.wheelNavigation)},
    {OptionsPage::Graphics, "", "chkAutoReduce", "Auto &Reduce", "", FLAG(viewer.autoReduce)},
    {OptionsPage::Graphics, "", "chkFastRefresh", "&Fast Refresh", "", FLAG(viewer.fastRefresh)},
    {OptionsPage::Graphics, "", "chkUseScreen", "&Use Screen", "", FLAG(viewer.useScreen)},
    {OptionsPage::Graphics, "", "chkAutoTest", "Auto-&test image processing filters",
     "Previews effect of image processing filters on-the-fly", NUMBER_FLAG(viewer.autoTestFilters)},
    {OptionsPage::Slideshow, "", "chkAutoSizeVideo", "Auto &Size video", "", FLAG(viewer.autoSizeVideo)},
    {OptionsPage::Slideshow, "", "chkAlwaysFullScreen", "Always &Full screen", "", FLAG(viewer.alwaysFullScreen)},
    {OptionsPage::Slideshow, "", "chkJukebox", "AVL &Jukebox", "", FLAG(viewer.avlJukebox)},
    {OptionsPage::Multimedia, "Controls", "chkPlayerControls", "Player &controls", "", FLAG(viewer.mediaPlayerControls)},
    {OptionsPage::Multimedia, "Controls", "chkTrackBar", "&Track bar", "", FLAG(viewer.mediaTrackBar)},
    {OptionsPage::Multimedia, "Controls", "chkMediaStatus", "&Status line", "", FLAG(viewer.mediaStatusLine)},
    {OptionsPage::Multimedia, "Controls", "chkMediaMaxFull", "Max &Full screen", "", FLAG(viewer.mediaMaxFullScreen)},
    {OptionsPage::Multimedia, "", "chkAutoPlay", "Auto &Play + Loop", "", FLAG(viewer.mediaAutoPlayLoop)},
    {OptionsPage::Explorer, "Controls", "chkExFolderTree", "&Folder tree", "", FLAG(explorer.folderTree)},
    {OptionsPage::Explorer, "Controls", "chkExToolBar", "&Tool bar", "", FLAG(explorer.toolBar)},
    {OptionsPage::Explorer, "Controls", "chkExButtonText", "&Button text", "", FLAG(explorer.buttonText)},
    {OptionsPage::Explorer, "Controls", "chkExStatusBar", "&Status bar", "", FLAG(explorer.statusBar)},
    {OptionsPage::Explorer, "", "chkExAutoRefresh", "Auto &refresh", "Background monitoring of file additions and deletions",
     FLAG(explorer.autoRefresh)},
    {OptionsPage::Explorer, "", "chkExSaveProfile", "Save &profile", "", FLAG(explorer.saveProfile)},
    {OptionsPage::Explorer, "", "chkExUseViewer", "Use &Viewer", "", FLAG(explorer.useViewer)},
    {OptionsPage::Explorer, "", "chkExSingleClick", "Single-clic&k", "Selects item when mouse hovers over it",
     [](const OptionsValues& v) { return v.explorer.clickStyle >= 1; },
     [](OptionsValues& v, bool on) { v.explorer.clickStyle = on ? std::max(v.explorer.clickStyle, 1) : 0; }},
    {OptionsPage::Explorer, "", "chkExUnderline", "&Underline items", "",
     [](const OptionsValues& v) { return v.explorer.clickStyle == 2; },
     [](OptionsValues& v, bool on) {
       if (v.explorer.clickStyle >= 1) v.explorer.clickStyle = on ? 2 : 1;
     }},
    {OptionsPage::Explorer, "", "chkExConfirm", "Confirm &deletions", "Show prompts when deleting files",
     FLAG(explorer.confirmDeletions)},
    {OptionsPage::Explorer, "", "chkExToolTips", "Listvie&w tool tips", "Shows item information in tool tip",
     FLAG(explorer.toolTips)},
};

#undef FLAG
#undef NUMBER_FLAG

using GetN = std::int32_t (*)(const OptionsValues&);
using SetN = void (*)(OptionsValues&, std::int32_t);

struct RadioRow {
  OptionsPage page;
  const char* title;
  const char* name;  // buttons are name + index
  std::vector<const char*> captions;
  GetN get;
  SetN set;
};

const RadioRow kRadios[] = {
    {OptionsPage::Graphics, "Fa&x quality", "radFax", {"b/w", "4 shades", "16 shades", "64 shades"},
     [](const OptionsValues& v) { return v.viewer.faxQuality; }, [](OptionsValues& v, std::int32_t i) { v.viewer.faxQuality = i; }},
    {OptionsPage::Graphics, "&Photo-CD step", "radPcd",
     {"    64x96", "  128x192", "  256x384", "  512x768", "1024x1536", "2048x3072", "4096x6144"},
     [](const OptionsValues& v) { return v.viewer.photoCdStep; }, [](OptionsValues& v, std::int32_t i) { v.viewer.photoCdStep = i; }},
    {OptionsPage::Slideshow, "Effects &speed", "radSpeed", {"Faster", "Normal", "Slower", "Slowest"},
     [](const OptionsValues& v) { return v.viewer.effectsSpeed; }, [](OptionsValues& v, std::int32_t i) { v.viewer.effectsSpeed = i; }},
    {OptionsPage::Slideshow, "Te&xt position", "radText", {"Auto", "Top", "Bottom"},
     [](const OptionsValues& v) { return v.viewer.textPosition; }, [](OptionsValues& v, std::int32_t i) { v.viewer.textPosition = i; }},
};

QColor PanelColor(std::uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

}  // namespace

TOptionsForm::TOptionsForm(const OptionsValues& current, OptionsPage page, bool fromFullScreen, int displayDepth,
                           OptionsHooks hooks, EngineDialogs* dialogs, QWidget* parent)
    : QDialog(parent), values_(current), page_(page), fromFullScreen_(fromFullScreen), depth_(displayDepth),
      hooks_(std::move(hooks)), dialogs_(dialogs) {
  setObjectName("OptionsForm");
  setWindowTitle("Options");
  Build();
  Fill();
  pages_->setCurrentIndex(static_cast<int>(page));
}

void TOptionsForm::Build() {
  auto* layout = new QVBoxLayout(this);
  pages_ = new QTabWidget(this);
  pages_->setUsesScrollButtons(false);
  layout->addWidget(pages_);
  std::vector<QVBoxLayout*> pageLayouts;
  for (const char* title : {"Viewer", "Graphics", "Slideshow", "Multimedia", "Explorer"}) {
    auto* page = new QWidget(pages_);
    pageLayouts.push_back(new QVBoxLayout(page));
    pages_->addTab(page, title);
  }
  auto pageLayout = [&](OptionsPage p) { return pageLayouts[static_cast<std::size_t>(p)]; };
  std::map<std::pair<int, std::string>, QVBoxLayout*> groups;
  auto groupLayout = [&](OptionsPage p, const std::string& title) -> QVBoxLayout* {
    if (title.empty()) return pageLayout(p);
    auto& g = groups[{static_cast<int>(p), title}];
    if (!g) {
      auto* box = new QGroupBox(QString::fromStdString(title), this);
      g = new QVBoxLayout(box);
      pageLayout(p)->addWidget(box);
    }
    return g;
  };

  // The colour shows on a swatch beside its caption, so any colour leaves the caption readable.
  auto* colorRow = new QHBoxLayout;
  auto* colorLabel = new QLabel("Background &color", this);
  color_ = new QPushButton(this);
  color_->setObjectName("PanelBackground");
  color_->setFixedSize(48, 20);
  colorLabel->setBuddy(color_);
  colorRow->addWidget(colorLabel);
  colorRow->addWidget(color_);
  colorRow->addStretch();
  pageLayout(OptionsPage::Viewer)->addLayout(colorRow);
  connect(color_, &QPushButton::clicked, this, [this] { PickColor(); });

  for (const CheckRow& row : kChecks) {
    auto* box = new QCheckBox(row.caption, this);
    box->setObjectName(row.name);
    if (*row.hint) box->setToolTip(row.hint);
    groupLayout(row.page, row.group)->addWidget(box);
    checks_[row.name] = box;
    connect(box, &QCheckBox::toggled, this, [this] { Changed(); });
  }
  for (const RadioRow& row : kRadios) {
    auto* box = new QGroupBox(row.title, this);
    auto* l = new QVBoxLayout(box);
    auto* group = new QButtonGroup(box);
    for (std::size_t i = 0; i < row.captions.size(); ++i) {
      auto* b = new QRadioButton(row.captions[i], box);
      const std::string name = std::string(row.name) + std::to_string(i);
      b->setObjectName(QString::fromStdString(name));
      group->addButton(b, static_cast<int>(i));
      l->addWidget(b);
      radios_[name] = b;
      connect(b, &QRadioButton::toggled, this, [this] { Changed(); });
    }
    pageLayout(row.page)->addWidget(box);
  }

  wheel_ = new QComboBox(this);
  wheel_->setObjectName("cboWheelButton");
  wheel_->addItems({"[default]", "Unmark", "Recycle"});
  auto* wheelLabel = new QLabel(" Mouse wheel button &assignment", this);
  wheelLabel->setBuddy(wheel_);
  pageLayout(OptionsPage::Viewer)->addWidget(wheelLabel);
  pageLayout(OptionsPage::Viewer)->addWidget(wheel_);
  connect(wheel_, &QComboBox::currentIndexChanged, this, [this] { Changed(); });

  delayLabel_ = new QLabel(this);
  delayLabel_->setObjectName("lblDelay");
  delay_ = new QScrollBar(Qt::Horizontal, this);
  delay_->setObjectName("ScrollBarDelay");
  delay_->setRange(0, 3600000);
  delay_->setSingleStep(100);
  delay_->setPageStep(1000);
  delayLabel_->setBuddy(delay_);
  pageLayout(OptionsPage::Slideshow)->insertWidget(0, delay_);
  pageLayout(OptionsPage::Slideshow)->insertWidget(0, delayLabel_);
  connect(delay_, &QScrollBar::valueChanged, this, [this](int v) {
    delayLabel_->setText(QString::fromStdString(DelayLabelText(v)));
    if (!filling_ && v != values_.viewer.slideshowDelay) apply_->setEnabled(true);
  });
  auto* effects = new QPushButton("&Effects", this);
  effects->setObjectName("btnEffects");
  pageLayout(OptionsPage::Slideshow)->addWidget(effects);
  connect(effects, &QPushButton::clicked, this, [this] {
    if (hooks_.effects) hooks_.effects();
  });

  volume_ = new QSlider(Qt::Horizontal, this);
  volume_->setObjectName("TrackBarVolume");
  volume_->setRange(0, 1000);
  volume_->setSingleStep(100);
  volume_->setPageStep(100);
  volume_->setTickInterval(100);
  volume_->setTickPosition(QSlider::TicksBothSides);
  auto* volumeLabel = new QLabel("&Volume", this);
  volumeLabel->setBuddy(volume_);
  pageLayout(OptionsPage::Multimedia)->addWidget(volumeLabel);
  pageLayout(OptionsPage::Multimedia)->addWidget(volume_);
  connect(volume_, &QSlider::valueChanged, this, [this] { Changed(); });

  for (QVBoxLayout* l : pageLayouts) l->addStretch();

  auto* buttons = new QDialogButtonBox(this);
  auto* ok = buttons->addButton("Ok", QDialogButtonBox::AcceptRole);
  ok->setObjectName("btnOk");
  apply_ = buttons->addButton("&Apply", QDialogButtonBox::ApplyRole);
  apply_->setObjectName("btnApply");
  auto* cancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
  cancel->setObjectName("btnCancel");
  auto* help = buttons->addButton("&Help", QDialogButtonBox::HelpRole);
  help->setObjectName("btnHelp");
  layout->addWidget(buttons);
  connect(ok, &QPushButton::clicked, this, [this] {
    ApplyClick();
    accept();
  });
  connect(apply_, &QPushButton::clicked, this, [this] { ApplyClick(); });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(help, &QPushButton::clicked, this,
          [this] { Help::Show(OptionsPageHelp(OptionsPageOf(pages_->currentIndex()))); });
  setSizeGripEnabled(false);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

QCheckBox* TOptionsForm::Check(const std::string& name) const {
  const auto it = checks_.find(name);
  return it == checks_.end() ? nullptr : it->second;
}

QAbstractButton* TOptionsForm::Radio(const std::string& name) const {
  const auto it = radios_.find(name);
  return it == radios_.end() ? nullptr : it->second;
}

void TOptionsForm::Fill() {
  filling_ = true;
  ViewerSettings& v = values_.viewer;
  // Settings the rules clear before anything shows.
  if (depth_ < 15) v.useScreen = false;
  if (!v.autoSize) v.autoCenter = false;
  for (const CheckRow& row : kChecks) checks_[row.name]->setChecked(row.get(values_));
  for (const RadioRow& row : kRadios)
    if (QAbstractButton* b = Radio(std::string(row.name) + std::to_string(row.get(values_)))) b->setChecked(true);
  wheel_->setCurrentIndex(std::clamp(v.wheelButton, 0, 2));
  delay_->setValue(std::clamp(v.slideshowDelay, 0, 3600000));
  delayLabel_->setText(QString::fromStdString(DelayLabelText(delay_->value())));
  volume_->setValue(std::clamp(v.mediaVolume, 0, 1000));
  color_value_ = v.backgroundColor;
  color_->setStyleSheet(QString("background-color: %1").arg(PanelColor(color_value_).name()));
  clickStyleAtOpening_ = values_.explorer.clickStyle;

  Check("chkButtonText")->setEnabled(v.toolBar);
  Check("chkUseScreen")->setEnabled(v.autoReduce && depth_ >= 15);
  Check("chkAutoCenter")->setEnabled(v.autoSize);
  Check("chkTrackBar")->setEnabled(v.mediaPlayerControls);
  if (fromFullScreen_) {
    Check("chkMaxFullScreen")->setEnabled(false);
    Check("chkStatusBar")->setEnabled(false);
    if (v.maxFullScreen)
      for (const char* n : {"chkMenus", "chkToolBar", "chkButtonText", "chkPathBox"}) Check(n)->setEnabled(false);
    if (v.mediaMaxFullScreen)
      for (const char* n : {"chkPlayerControls", "chkTrackBar", "chkMediaStatus", "chkMediaMaxFull"})
        Check(n)->setEnabled(false);
  }
  Check("chkWithMenus")->setEnabled(Check("chkMaxFullScreen")->isEnabled());
  Check("chkExButtonText")->setEnabled(values_.explorer.toolBar);
  Check("chkExUnderline")->setEnabled(values_.explorer.clickStyle >= 1);
  filling_ = false;
  Changed();
  apply_->setEnabled(false);
}

void TOptionsForm::Changed() {
  if (filling_) return;
  filling_ = true;
  apply_->setEnabled(true);
  const bool merged = Check("chkMerge")->isChecked();
  if (merged) {
    Check("chkToolBar")->setChecked(false);
    Check("chkButtonText")->setChecked(false);
  }
  Check("chkToolBar")->setVisible(!merged);
  Check("chkButtonText")->setVisible(!merged);
  Check("chkPathBox")->setText(merged ? "&Tool bar" : "&Path box");
  if (Check("chkMaxFullScreen")->isEnabled()) Check("chkWithMenus")->setEnabled(Check("chkMenus")->isChecked());
  if (Check("chkToolBar")->isVisible() && Check("chkToolBar")->isEnabled())
    Check("chkButtonText")->setEnabled(Check("chkToolBar")->isChecked());
  Check("chkExButtonText")->setEnabled(Check("chkExToolBar")->isChecked());
  if (depth_ > 8) {
    Check("chkFastRefresh")->setEnabled(true);
    Check("chkUseScreen")->setEnabled(Check("chkAutoReduce")->isChecked() && depth_ >= 15);
    if (!Check("chkAutoReduce")->isChecked()) Check("chkUseScreen")->setChecked(false);
  }
  Check("chkAutoCenter")->setEnabled(Check("chkAutoSize")->isChecked());
  if (!Check("chkAutoSize")->isChecked()) Check("chkAutoCenter")->setChecked(false);
  Check("chkExUnderline")->setEnabled(Check("chkExSingleClick")->isChecked());
  if (!Check("chkExSingleClick")->isChecked()) Check("chkExUnderline")->setChecked(false);
  if (!fromFullScreen_) Check("chkTrackBar")->setEnabled(Check("chkPlayerControls")->isChecked());
  filling_ = false;
}

void TOptionsForm::PickColor() {
  EngineDialogs& d = dialogs_ ? *dialogs_ : DialogsFor(this);
  const long long c = d.ChooseColor(this, color_value_);
  if (c < 0) return;
  color_value_ = static_cast<std::uint32_t>(c);
  color_->setStyleSheet(QString("background-color: %1").arg(PanelColor(color_value_).name()));
  Changed();
}

OptionsValues TOptionsForm::Values() const {
  OptionsValues v = values_;
  for (const CheckRow& row : kChecks) {
    if (std::string(row.name) == "chkExUnderline") continue;  // after Single-click, below
    row.set(v, checks_.at(row.name)->isChecked());
  }
  if (v.explorer.clickStyle >= 1) v.explorer.clickStyle = checks_.at("chkExUnderline")->isChecked() ? 2 : 1;
  for (const RadioRow& row : kRadios)
    for (std::size_t i = 0; i < row.captions.size(); ++i)
      if (Radio(std::string(row.name) + std::to_string(i))->isChecked()) row.set(v, static_cast<std::int32_t>(i));
  v.viewer.wheelButton = wheel_->currentIndex();
  v.viewer.slideshowDelay = delay_->value();
  v.viewer.mediaVolume = StoredVolumePosition(volume_->value());
  v.viewer.backgroundColor = color_value_;
  if (depth_ < 9) v.viewer.useScreen = false;
  return v;
}

void TOptionsForm::ApplyClick() {
  values_ = Values();
  if (hooks_.apply) hooks_.apply(values_);
  apply_->setEnabled(false);
}

int ShowOptions(QWidget* owner, const OptionsValues& current, OptionsPage page, bool fromFullScreen, OptionsHooks hooks,
                EngineDialogs* dialogs) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  TOptionsForm form(current, page, fromFullScreen, screen ? screen->depth() : 24, std::move(hooks), dialogs, owner);
  if (screen) {
    form.adjustSize();
    form.move(screen->availableGeometry().center() - form.rect().center());
  }
  return form.exec() == QDialog::Accepted ? 0 : -999;
}

}  // namespace pelira
