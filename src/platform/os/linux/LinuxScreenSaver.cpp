#include "platform/os/linux/LinuxScreenSaver.h"

#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QGuiApplication>
#include <QTimer>
#include <array>
#include <set>

namespace kavoro::os::linuxos {

namespace {

constexpr const char* kService = "org.freedesktop.ScreenSaver";
constexpr const char* kInterface = "org.freedesktop.ScreenSaver";
// Desktops publish the service at one or both of these; the first is the documented one.
constexpr std::array<const char*, 2> kServicePaths = {"/org/freedesktop/ScreenSaver",
                                                      "/ScreenSaver"};
constexpr const char* kInhibitMethod = "Inhibit";
constexpr const char* kUnInhibitMethod = "UnInhibit";
constexpr const char* kConnectionPrefix = "kavoro_screensaver_";

// Qt's X connection, or null when Qt does not run on an X display.
xcb_connection_t* QtXConnection() {
  auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  if (!gui) return nullptr;
  auto* x11 = gui->nativeInterface<QNativeInterface::QX11Application>();
  return x11 ? x11->connection() : nullptr;
}

// A call that got no answer in time: the service may still act on it later.
bool Unanswered(const QDBusMessage& reply) {
  const QDBusError::ErrorType type = QDBusError(reply).type();
  return type == QDBusError::NoReply || type == QDBusError::Timeout;
}

}  // namespace

struct LinuxScreenSaver::State {
  explicit State(std::chrono::milliseconds interval);

  void Acquire(const std::string& application, const std::string& reason);
  void Release();
  // Ends the current run of inhibitions: the desktop's inhibition is given back, the timer
  // stopped. The count of live inhibitions is left as it is.
  void Close();
  // The Qt application is going: everything that needs it is let go while it still exists,
  // the bus connection too.
  void EndOfApplication();

  bool AskDesktop(const QString& application, const QString& reason);
  void ReleaseDesktop();
  bool StartXReset();
  void DropConnection();

  const std::chrono::milliseconds resetInterval;
  const QString connectionName;
  int live = 0;
  // The current run of inhibitions has been carried out (by whatever Method says).
  bool open = false;
  ScreenSaverMethod method = ScreenSaverMethod::None;

  // Our own bus connection: whatever the desktop holds for us ends when it closes, even an
  // inhibition whose answer came too late to be seen.
  bool connected = false;
  // The session bus could not be reached; its address does not change while we run.
  bool busUnreachable = false;
  QString servicePath;
  uint cookie = 0;

  std::unique_ptr<QTimer> resetTimer;
};

namespace {

// Every state, for the end of the Qt application. Never destroyed, since the platform's
// services outlive other statics. GUI thread only.
std::set<LinuxScreenSaver::State*>& LiveStates() {
  static auto* states = new std::set<LinuxScreenSaver::State*>();
  return *states;
}

bool endHookArmed = false;

// Runs inside the Qt application's destructor, while the application and its event loop
// still exist.
void CloseAtApplicationEnd() {
  endHookArmed = false;
  const std::set<LinuxScreenSaver::State*> states = LiveStates();
  for (LinuxScreenSaver::State* s : states) s->EndOfApplication();
}

void ArmApplicationEndHook() {
  if (endHookArmed) return;
  qAddPostRoutine(CloseAtApplicationEnd);
  endHookArmed = true;
}

int nextConnectionNumber = 0;

class LinuxScreenSaverInhibition : public ScreenSaverInhibition {
 public:
  explicit LinuxScreenSaverInhibition(std::weak_ptr<LinuxScreenSaver::State> state)
      : state_(std::move(state)) {}
  ~LinuxScreenSaverInhibition() override {
    if (auto s = state_.lock()) s->Release();
  }
  ScreenSaverMethod Method() const override {
    auto s = state_.lock();
    return s ? s->method : ScreenSaverMethod::None;
  }

 private:
  std::weak_ptr<LinuxScreenSaver::State> state_;
};

}  // namespace

LinuxScreenSaver::State::State(std::chrono::milliseconds interval)
    : resetInterval(interval),
      connectionName(QString::fromLatin1(kConnectionPrefix) +
                     QString::number(nextConnectionNumber++)) {
  LiveStates().insert(this);
}

void LinuxScreenSaver::State::Acquire(const std::string& application, const std::string& reason) {
  ++live;
  if (open) return;
  // Without an application Qt's bus and display cannot be used; a later inhibition tries again.
  if (!QCoreApplication::instance()) return;
  open = true;
  ArmApplicationEndHook();
  if (AskDesktop(QString::fromStdString(application), QString::fromStdString(reason))) {
    method = ScreenSaverMethod::DesktopService;
  } else if (StartXReset()) {
    method = ScreenSaverMethod::ResetTimer;
  } else {
    method = ScreenSaverMethod::None;
  }
}

void LinuxScreenSaver::State::Release() {
  if (live > 0) --live;
  if (live == 0) Close();
}

void LinuxScreenSaver::State::Close() {
  if (!open) return;
  if (method == ScreenSaverMethod::DesktopService) ReleaseDesktop();
  resetTimer.reset();
  method = ScreenSaverMethod::None;
  open = false;
}

void LinuxScreenSaver::State::EndOfApplication() {
  Close();
  DropConnection();
}

bool LinuxScreenSaver::State::AskDesktop(const QString& application, const QString& reason) {
  if (busUnreachable) return false;
  if (!connected) {
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName);
    if (!bus.isConnected()) {
      QDBusConnection::disconnectFromBus(connectionName);
      busUnreachable = true;
      return false;
    }
    connected = true;
  }
  QDBusConnection bus(connectionName);
  for (const char* path : kServicePaths) {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, path, kInterface, kInhibitMethod);
    call << application << reason;
    const QDBusMessage reply =
        bus.call(call, QDBus::Block, static_cast<int>(kScreenSaverCallTimeout.count()));
    if (reply.type() == QDBusMessage::ReplyMessage) {
      const QVariantList answer = reply.arguments();
      if (answer.size() == 1 && answer.front().metaType() == QMetaType::fromType<uint>()) {
        cookie = answer.front().toUInt();
        servicePath = QString::fromLatin1(path);
        return true;
      }
      continue;  // something else lives at this path
    }
    if (Unanswered(reply)) {
      // Asking again would double the wait; a late inhibition ends with the connection.
      DropConnection();
      return false;
    }
    const QDBusError::ErrorType error = QDBusError(reply).type();
    if (error == QDBusError::ServiceUnknown || error == QDBusError::Disconnected) {
      if (error == QDBusError::Disconnected) DropConnection();
      return false;
    }
    // Unknown object, interface or method here: the other path may have it.
  }
  return false;
}

void LinuxScreenSaver::State::ReleaseDesktop() {
  if (!connected || !QCoreApplication::instance()) return;
  QDBusMessage call =
      QDBusMessage::createMethodCall(kService, servicePath, kInterface, kUnInhibitMethod);
  call << cookie;
  const QDBusMessage reply = QDBusConnection(connectionName)
                                 .call(call, QDBus::Block,
                                       static_cast<int>(kScreenSaverCallTimeout.count()));
  // Without an answer the inhibition may still stand; closing our connection ends it.
  if (reply.type() != QDBusMessage::ReplyMessage) DropConnection();
}

void LinuxScreenSaver::State::DropConnection() {
  if (!connected) return;
  QDBusConnection::disconnectFromBus(connectionName);
  connected = false;
}

bool LinuxScreenSaver::State::StartXReset() {
  if (!QtXConnection()) return false;
  auto reset = [] {
    // Looked up each time: the connection is Qt's and goes with the application.
    if (xcb_connection_t* x = QtXConnection()) {
      xcb_force_screen_saver(x, XCB_SCREEN_SAVER_RESET);
      xcb_flush(x);
    }
  };
  reset();
  resetTimer = std::make_unique<QTimer>();
  resetTimer->setInterval(resetInterval);
  QObject::connect(resetTimer.get(), &QTimer::timeout, reset);
  resetTimer->start();
  return true;
}

LinuxScreenSaver::LinuxScreenSaver(std::chrono::milliseconds resetInterval)
    : state_(std::make_shared<State>(resetInterval)) {}

LinuxScreenSaver::~LinuxScreenSaver() {
  // Without an application the end hook has already let everything go.
  if (QCoreApplication::instance()) state_->EndOfApplication();
  LiveStates().erase(state_.get());
}

std::unique_ptr<ScreenSaverInhibition> LinuxScreenSaver::Inhibit(const std::string& application,
                                                                 const std::string& reason) {
  state_->Acquire(application, reason);
  return std::make_unique<LinuxScreenSaverInhibition>(state_);
}

int LinuxScreenSaver::ActiveInhibitions() { return state_->live; }

}  // namespace kavoro::os::linuxos
