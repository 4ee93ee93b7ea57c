#include "dialogs/PreferencePages.h"

#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QWidget>

#include "dialogs/DialogUnits.h"
#include "playback/InputModule.h"
#include "playback/PluginManager.h"
#include "platform/System.h"

namespace {
const char kEntryPoint[] = "orvaneGetInModule2";

// The list box of both pages: border, vertical scroll bar, one line selected at a time.
QListWidget* NewListBox(QWidget* page) {
  auto* list = new QListWidget(page);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  return list;
}
}  // namespace

bool PreferencesPage::CreatePage(QWidget* dialog) {
  if (!dialog || !CreateTopLevel(QString(), Rect::FromSize(0, 0, 1, 1), 0, nullptr, false)) return false;
  QWidget* page = Widget();
  page->setParent(dialog, Qt::Widget);
  // A dialog page shows the dialog's background, unlike a skinned window.
  page->setAttribute(Qt::WA_OpaquePaintEvent, false);
  page->setAttribute(Qt::WA_NoSystemBackground, false);
  page->setAutoFillBackground(true);
  BuildControls(page);
  page->show();
  return true;
}

InputPluginsPage::InputPluginsPage(QString folder) : folder_(std::move(folder)) {}

void InputPluginsPage::BuildControls(QWidget* page) {
  const DialogUnits units(page);
  group_ = new QGroupBox(QStringLiteral("Input plug-ins"), page);
  units.Place(group_, 7, 7, 60, 91);
  list_ = NewListBox(page);
  units.Place(list_, 12, 18, 50, 42);
  configure_ = new QPushButton(QStringLiteral("&Configure"), page);
  units.Place(configure_, 12, 63, 50, 14);
  about_ = new QPushButton(QStringLiteral("&About"), page);
  units.Place(about_, 12, 79, 50, 14);
  for (QPushButton* button : {configure_, about_}) button->setAutoDefault(false);
  QObject::connect(configure_, &QPushButton::clicked, configure_, [this] { Configure(); });
  QObject::connect(about_, &QPushButton::clicked, about_, [this] { About(); });
  FillList();
}

void InputPluginsPage::FillList() {
  if (!list_) return;
  list_->clear();
  for (const Platform::FolderEntry& entry : Platform::ListFolder(folder_)) {
    if (entry.isFolder || !PluginManager::IsPluginFileName(entry.name)) continue;
    Platform::LibraryHandle library = Platform::LoadLibrary(folder_ + u'/' + entry.name);
    if (!library) continue;
    // Only a library that is a plug-in is listed; its record is not used here.
    if (auto get = reinterpret_cast<GetInModuleFunction>(Platform::GetProcAddress(library, kEntryPoint))) {
      get();
      AddSorted(list_, u'[' + entry.name + u']');
    }
    Platform::FreeLibrary(library);
  }
}

void InputPluginsPage::AddSorted(QListWidget* list, const QString& line) {
  int row = 0;
  for (; row < list->count(); ++row) {
    const QString other = list->item(row)->text();
    int order = line.compare(other, Qt::CaseInsensitive);
    if (order == 0) order = line.compare(other, Qt::CaseSensitive);
    if (order < 0) break;
  }
  list->insertItem(row, line);
}

QString InputPluginsPage::FileNameOfLine(const QString& line) {
  const qsizetype open = line.indexOf(u'[');
  if (open < 0) return {};
  const qsizetype close = line.indexOf(u']', open + 1);
  return close < 0 ? line.mid(open + 1) : line.mid(open + 1, close - open - 1);
}

void InputPluginsPage::Configure() { CallSelected(Call::kConfig); }

void InputPluginsPage::About() { CallSelected(Call::kAbout); }

void InputPluginsPage::CallSelected(Call call) {
  if (!list_) return;
  const QList<QListWidgetItem*> selected = list_->selectedItems();
  // Without a selected line there is no plug-in to ask.
  if (selected.isEmpty()) return;
  const QString name = FileNameOfLine(selected.first()->text());
  if (name.isEmpty()) return;
  Platform::LibraryHandle library = Platform::LoadLibrary(folder_ + u'/' + name);
  if (!library) return;
  if (auto get = reinterpret_cast<GetInModuleFunction>(Platform::GetProcAddress(library, kEntryPoint))) {
    if (InputModule* module = get()) {
      void (*show)(WindowHandle) = call == Call::kConfig ? module->showConfig : module->showAbout;
      if (show) show(GetHandle());
    }
  }
  Platform::FreeLibrary(library);
}

void FileTypesPage::BuildControls(QWidget* page) {
  const DialogUnits units(page);
  group_ = new QGroupBox(QStringLiteral("File type setup"), page);
  units.Place(group_, 7, 7, 62, 129);
  list_ = NewListBox(page);
  units.Place(list_, 12, 19, 51, 50);
  auto* button1 = new QPushButton(QStringLiteral("Button1"), page);
  units.Place(button1, 12, 101, 50, 14);
  auto* button2 = new QPushButton(QStringLiteral("Button2"), page);
  units.Place(button2, 12, 118, 50, 14);
  for (QWidget* control : {static_cast<QWidget*>(group_), static_cast<QWidget*>(list_),
                           static_cast<QWidget*>(button1), static_cast<QWidget*>(button2)})
    control->hide();
}
