#pragma once
// One browser per user. The first start holds a lock file and listens on a local socket in
// the user's runtime folder; a later start sends the path it was given (maybe none) to the
// first one, which comes to the front and opens it, and then ends.
#include <QLockFile>
#include <QObject>
#include <QString>

class QLocalServer;

namespace lh {

class SingleInstance : public QObject {
  Q_OBJECT
 public:
  enum class Claim {
    First,        // this is the running copy now: it listens for later starts
    Handed,       // a running copy took the request: this start should end
    Unreachable,  // a copy holds the lock but does not answer: start without the guard
  };

  // "loomhall-browser" in the user's runtime folder ($XDG_RUNTIME_DIR when set).
  static QString defaultSocketPath();

  explicit SingleInstance(QString socketPath = defaultSocketPath(), QObject* parent = nullptr);
  ~SingleInstance() override;

  // Becomes the running copy, or hands `path` (absolute, or empty) to the one running.
  Claim claim(const QString& path);

 signals:
  // A later start asked this copy to come to the front and to open `path` (may be empty).
  void raiseRequested(const QString& path);

 private:
  void listen();
  bool handOver(const QString& path) const;

  QString socketPath_;
  QLockFile lock_;
  QLocalServer* server_ = nullptr;
};

}  // namespace lh
