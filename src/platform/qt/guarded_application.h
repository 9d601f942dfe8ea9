#pragma once
// The application object: no exception may cross a Qt event handler, so notify() catches them
// all and hands the message to the program's error handler.
#include <QApplication>
#include <functional>
#include <string>

namespace pelira {

class TGuardedApplication : public QApplication {
  Q_OBJECT
public:
  using ErrorHandler = std::function<void(const std::string& message)>;

  TGuardedApplication(int& argc, char** argv);

  // The default handler shows an error box with the message.
  void SetErrorHandler(ErrorHandler handler);

  bool notify(QObject* receiver, QEvent* event) override;

private:
  void Report(const std::string& message);

  ErrorHandler handler_;
  bool reporting_ = false;
};

inline constexpr const char* kUnknownExceptionText = "Unknown exception.";

}  // namespace pelira
