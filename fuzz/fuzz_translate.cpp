// Fuzz target of the translator applying one language-file entry to the real main window.
//
// The input is one entry as it stands in a language file after the form's class name: "path=value" (no "="
// gives an empty value). The window is made once, offscreen. Invariants, for every entry:
// - applying it never crashes;
// - it never creates a dynamic property, and objects are neither created nor destroyed outside what it names;
// - it writes nothing outside the objects its path names: every readable property of every object of the
//   window stays as it was, except on the object that the path's first part names as a component (the
//   window itself when it names none), the objects below it, and the objects reached from those through
//   object-valued properties (Font, EditLabel). The objects below are included because fonts, geometry,
//   enabled state and visibility pass down to children by Qt's own rules;
// - the window stays reachable and drawable: its frame no larger than the largest screen, its title bar on a
//   screen (PlaceOnScreens leaves it where it is), and no font of the window above kMaxFontPoints.
// Signals are blocked while the entry is applied: the window's change handlers (edAddress recalculates into
// the seventeen result fields, and may show a message box) are the window's own behaviour, not the
// translator's, and a modal box would stop the fuzzer.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QHash>
#include <QMenu>
#include <QMetaProperty>
#include <QPointer>
#include <QSet>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "fuzz/fuzzcheck.h"
#include "main/quorvaneform.h"
#include "platform/programfolder.h"
#include "settings/langchanger.h"
#include "widgets/screenfit.h"

using namespace quorvane;

namespace {

struct ObjectState {
  QObject* parent = nullptr;
  QList<QByteArray> dynamicNames;
  QList<QVariant> values;  // by property index; an invalid QVariant for a property not compared
};

struct Fixture {
  std::unique_ptr<QApplication> application;
  std::string folder;
  std::unique_ptr<TQuorvaneForm> form;
  // Properties (by class and index) that read the same twice running: the others change by themselves or
  // cannot be compared as values, and prove nothing.
  QSet<QPair<const QMetaObject*, int>> comparable;
};

// Never destroyed: at exit the C library ends the thread-local data (Qt's font cache among it) before static
// objects, so a window destroyed then would crash. It stays reachable, so it is no leak either.
Fixture& fixture() {
  static Fixture* const instance = new Fixture;
  return *instance;
}

void removeProgramFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(fixture().folder, ignored);
}

QList<QObject*> objectsOf(QObject* root) {
  QList<QObject*> objects{root};
  objects += root->findChildren<QObject*>();
  return objects;
}

// A parent's childrenRect and childrenRegion are its children's geometry by definition, and the size hints
// of a widget with a layout are its children's sizes summed by the layout: moving or sizing a named control
// changes them on the control's ancestors, which is no write of the translator's. The ancestors' real
// geometry stays compared, and the window is held to the screens below.
bool isChildrenSummary(const QMetaProperty& property) {
  static const char* const kSummaries[] = {"childrenRect", "childrenRegion", "sizeHint", "minimumSizeHint"};
  return std::any_of(std::begin(kSummaries), std::end(kSummaries),
                     [&](const char* name) { return qstrcmp(property.name(), name) == 0; });
}

QHash<QObject*, ObjectState> snapshot(QObject* root, bool all) {
  QHash<QObject*, ObjectState> states;
  for (QObject* object : objectsOf(root)) {
    ObjectState& state = states[object];
    state.parent = object->parent();
    state.dynamicNames = object->dynamicPropertyNames();
    const QMetaObject* meta = object->metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i) {
      const QMetaProperty property = meta->property(i);
      const bool compared = (all || fixture().comparable.contains({meta, i})) && !isChildrenSummary(property);
      state.values.append(compared && property.isReadable() ? property.read(object) : QVariant());
    }
  }
  return states;
}

// The objects an entry may change: the component its first part names (any owned one of that name, the
// window when none), everything below them, what their object-valued properties lead to, and the widgets
// that show a named action or menu.
QSet<QObject*> reachableFrom(QObject* form, QStringView path) {
  QList<QObject*> start;
  const qsizetype point = path.indexOf(QLatin1Char('.'));
  if (point > 0) {
    for (QObject* object : form->findChildren<QObject*>()) {
      if (object->objectName().compare(path.first(point), Qt::CaseInsensitive) == 0) start.append(object);
    }
  }
  if (start.isEmpty()) start.append(form);
  QSet<QObject*> reached;
  while (!start.isEmpty()) {
    QObject* object = start.takeLast();
    if (object == nullptr || reached.contains(object)) continue;
    reached.insert(object);
    start += object->children();
    // Qt passes an action's texts on to the buttons and menus that show it, and a menu's title to the
    // entry that opens it: those follow what the entry names.
    if (auto* action = qobject_cast<QAction*>(object)) start += action->associatedObjects();
    if (auto* menu = qobject_cast<QMenu*>(object)) start.append(menu->menuAction());
    const QMetaObject* meta = object->metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i) {
      const QMetaProperty property = meta->property(i);
      if (property.isReadable() && property.metaType().flags().testFlag(QMetaType::PointerToQObject))
        start.append(property.read(object).value<QObject*>());
    }
  }
  return reached;
}

// Blocks the signals of every object of the window for its lifetime; objects deleted meanwhile (by posted
// deletions while events are processed) are skipped when unblocking.
class SignalsBlocked {
 public:
  explicit SignalsBlocked(QObject* root) {
    for (QObject* object : objectsOf(root)) m_objects.append({object, object->blockSignals(true)});
  }
  ~SignalsBlocked() {
    for (const auto& [object, wasBlocked] : m_objects)
      if (object) object->blockSignals(wasBlocked);
  }
  SignalsBlocked(const SignalsBlocked&) = delete;
  SignalsBlocked& operator=(const SignalsBlocked&) = delete;

 private:
  QList<QPair<QPointer<QObject>, bool>> m_objects;
};

// Writes back what an entry changed, so that the next input meets the window as it was made and a crash
// found after many inputs still reproduces from its own input alone.
void restore(const QHash<QObject*, ObjectState>& before) {
  for (auto it = before.cbegin(); it != before.cend(); ++it) {
    const QMetaObject* meta = it.key()->metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i) {
      const QMetaProperty property = meta->property(i);
      const QVariant& old = it.value().values.value(i);
      if (old.isValid() && property.isWritable() && property.read(it.key()) != old)
        property.write(it.key(), old);
    }
  }
}

// The limits that hold for the window whatever a language file says (see the header comment).
void checkWindowWithinScreens(const TQuorvaneForm& form, const QByteArray& input) {
  const QRect frame = form.frameGeometry();
  const QSize largest = LargestScreenSize();
  FUZZ_CHECK(frame.width() <= largest.width() && frame.height() <= largest.height(),
             ("the window outgrew the largest screen for " + input).constData());
  FUZZ_CHECK(PlaceOnScreens(frame.topLeft(), frame.size()) == frame.topLeft(),
             ("the window's title bar left the screens for " + input).constData());
  for (const QWidget* widget : form.findChildren<QWidget*>()) {
    const QFont font = widget->font();
    const double points = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 72.0 / 96.0;
    FUZZ_CHECK(points <= kMaxFontPoints, ("a font outgrew every control for " + input).constData());
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  Fixture& f = fixture();
  f.application = std::make_unique<QApplication>(*argc, *argv);
  // The window reads and writes its settings file in the program folder: a temporary one here.
  std::string folder = (std::filesystem::temp_directory_path() / "fuzz_translate.XXXXXX").string();
  FUZZ_CHECK(::mkdtemp(folder.data()) != nullptr, "no temporary folder");
  f.folder = folder;
  std::atexit(removeProgramFolder);
  SetProgramLocationForTests(QString::fromStdString(f.folder));
  f.form = std::make_unique<TQuorvaneForm>();
  f.form->show();
  QCoreApplication::processEvents();
  // Reading every Font property makes the font objects, which are made on first use, before any comparison.
  const QHash<QObject*, ObjectState> first = snapshot(f.form.get(), true);
  const QHash<QObject*, ObjectState> second = snapshot(f.form.get(), true);
  for (auto it = second.cbegin(); it != second.cend(); ++it) {
    if (!first.contains(it.key())) continue;
    const QMetaObject* meta = it.key()->metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i) {
      const QVariant& value = it.value().values[i];
      if (value.isValid() && value == first[it.key()].values[i] && value == value)
        f.comparable.insert({meta, i});
    }
  }
  FUZZ_CHECK(f.comparable.size() > 100, "too few properties compare for the check to mean anything");
  return 0;
}

// Half of the mutations are structured: the entry's value becomes an integer at an edge of what int, Qt's
// sizes and the screens take (or one beside it), or the property part of its path becomes a name of the
// geometry and font vocabulary. Geometry and font sizes go wrong only at such values, which byte-level
// mutations at a few dozen runs a second take far too long to reach. The other half is libFuzzer's own.
extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t maxSize);

extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size, std::size_t maxSize,
                                               unsigned int seed) {
  static const char* const kEdges[] = {"2147483647", "-2147483648", "2147483648", "-2147483649",
                                       "4294967295", "16777215",    "16777216",   "65535",
                                       "32767",      "-32768",      "0",          "-1"};
  static const char* const kNames[] = {"Left",         "Top",           "Width",        "Height",
                                       "ClientWidth",  "ClientHeight",  "Font.Size",    "Font.Height",
                                       "minimumWidth", "minimumHeight", "maximumWidth", "maximumHeight"};
  std::minstd_rand random(seed);
  std::string entry(reinterpret_cast<const char*>(data), size);
  const std::size_t equals = entry.find('=');
  std::string path = entry.substr(0, equals);
  std::string value = equals == std::string::npos ? std::string() : entry.substr(equals + 1);
  switch (random() % 4) {
    case 0: {
      value = kEdges[random() % std::size(kEdges)];
      if (random() % 4 == 0) value += std::to_string(random() % 10);  // past the edge by a digit
      break;
    }
    case 1: {
      // A first part other than Font names a component, which is kept; half of the time it goes too.
      const std::size_t dot = path.find('.');
      const bool component = dot != std::string::npos && path.compare(0, dot, "Font") != 0;
      path = (component && random() % 2 == 0 ? path.substr(0, dot + 1) : std::string()) +
             kNames[random() % std::size(kNames)];
      break;
    }
    default:
      return LLVMFuzzerMutate(data, size, maxSize);
  }
  entry = path + "=" + value;
  if (entry.size() > maxSize) return LLVMFuzzerMutate(data, size, maxSize);
  std::memcpy(data, entry.data(), entry.size());
  return entry.size();
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Fixture& f = fixture();
  const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
  const qsizetype equals = input.indexOf('=');
  const QString path = QString::fromUtf8(equals < 0 ? input : input.first(equals));
  const QString value =
      TLangChanger::ExpandLineBreaks(QString::fromUtf8(equals < 0 ? QByteArray() : input.sliced(equals + 1)));

  const QHash<QObject*, ObjectState> before = snapshot(f.form.get(), false);
  const QSet<QObject*> allowed = reachableFrom(f.form.get(), path);
  {
    const SignalsBlocked blocked(f.form.get());
    LangChanger().ApplyEntry(f.form.get(), path, value);
  }
  const QHash<QObject*, ObjectState> after = snapshot(f.form.get(), false);

  for (auto it = before.cbegin(); it != before.cend(); ++it) {
    QObject* object = it.key();
    const auto now = after.constFind(object);
    FUZZ_CHECK(now != after.cend() || allowed.contains(it.value().parent),
               "an object outside the entry vanished");
    if (now == after.cend()) continue;
    FUZZ_CHECK(now->dynamicNames == it.value().dynamicNames, "a dynamic property was created");
    if (allowed.contains(object)) continue;
    FUZZ_CHECK(now->parent == it.value().parent, "an object outside the entry moved in the tree");
    const QMetaObject* meta = object->metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i) {
      if (now->values[i] == it.value().values[i]) continue;
      const QByteArray what = QByteArray(meta->className()) + " " + object->objectName().toUtf8() + "." +
                              meta->property(i).name() + " changed by " + input;
      FUZZ_CHECK(false, what.constData());
    }
  }
  checkWindowWithinScreens(*f.form, input);
  // A new object may come with children of its own: it is judged by its nearest ancestor from before.
  for (auto it = after.cbegin(); it != after.cend(); ++it) {
    if (before.contains(it.key())) continue;
    QObject* ancestor = it.key()->parent();
    while (ancestor != nullptr && !before.contains(ancestor)) ancestor = ancestor->parent();
    const QByteArray what = QByteArray("a ") + it.key()->metaObject()->className() + " appeared under " +
                            (ancestor ? ancestor->objectName().toUtf8() : QByteArray("nothing")) + " for " +
                            input;
    FUZZ_CHECK(allowed.contains(ancestor), what.constData());
  }

  {
    const SignalsBlocked blocked(f.form.get());
    restore(before);
    QCoreApplication::processEvents();
  }
  return 0;
}
