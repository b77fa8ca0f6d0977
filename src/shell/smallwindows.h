// The help, about, phrase editor and lobby download windows.
#pragma once

#include <QDialog>

class QLabel;

namespace quillet {

class Thelp : public QDialog {
    Q_OBJECT
public:
    explicit Thelp(QWidget *parent = nullptr);
};

class Tabout : public QDialog {
    Q_OBJECT
public:
    explicit Tabout(QWidget *parent = nullptr);
    // The version the table reports at login.
    QString versionText() const;

private:
    QLabel *version_;
};

class Tphrases : public QDialog {
    Q_OBJECT
public:
    explicit Tphrases(QWidget *parent = nullptr);
};

class Tdownload : public QDialog {
    Q_OBJECT
public:
    explicit Tdownload(QWidget *parent = nullptr);
};

} // namespace quillet
