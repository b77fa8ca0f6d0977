// The about window: picture, version and the maker's web address.
#pragma once

#include <QDialog>
#include <QUrl>

#include <functional>

class QLabel;

namespace quillet {

// The maker's web site: the about window's link and the logo on the table.
inline constexpr char kMakerWebAddress[] = "https://www.zolvex.com";

class Tabout : public QDialog {
    Q_OBJECT
public:
    explicit Tabout(QWidget *parent = nullptr);

    // The version the table reports at login ("1.0.16").
    QString versionText() const;
    // Opens the maker's web site through openUrl (the link label does this).
    void openMakerSite();

    // Opens an address with the desktop; tests replace it.
    std::function<bool(const QUrl &)> openUrl;

    QLabel *version = nullptr;
    QLabel *link = nullptr;

protected:
    void setVisible(bool visible) override;
};

} // namespace quillet
