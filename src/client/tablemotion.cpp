#include "client/tablemotion.h"

#include "ui/designgeometry.h"
#include "ui/kit.h"

#include <QEasingCurve>
#include <QLabel>
#include <QVariantAnimation>

#include <algorithm>

namespace quillet {

TableMotion::TableMotion(QWidget *view) : QObject(view), view_(view) {}

TableMotion::~TableMotion() { finishAll(); }

void TableMotion::glideIn(TablePicture *target, const QRect &fromDesign)
{
    // A glide still under way to this place ends first.
    for (const Glide &g : glides_)
        if (g.target == target) {
            finish(g.animation);
            break;
        }
    if (target->pixmap().isNull() || !target->isVisibleTo(view_))
        return;
    auto *copy = new QLabel(view_);
    copy->setPixmap(target->pixmap());
    target->setVeiled(true);
    start(copy, design::scaled(fromDesign, design::scaleOf(view_)), target->geometry(), target);
}

void TableMotion::glideAway(const TablePicture *source, const QRect &toDesign)
{
    if (source->pixmap().isNull() || !source->isVisibleTo(view_) || source->veiled())
        return;
    auto *copy = new QLabel(view_);
    copy->setPixmap(source->pixmap());
    copy->setScaledContents(true);
    start(copy, source->geometry(), design::scaled(toDesign, design::scaleOf(view_)), nullptr);
}

void TableMotion::start(QLabel *copy, const QRect &from, const QRect &to, TablePicture *target)
{
    copy->setAttribute(Qt::WA_TransparentForMouseEvents);
    copy->setFocusPolicy(Qt::NoFocus);
    copy->setGeometry(from);
    copy->show();
    copy->raise();
    auto *animation = new QVariantAnimation(this);
    animation->setDuration(kGlideMs);
    animation->setEasingCurve(QEasingCurve::OutCubic);
    animation->setStartValue(from);
    animation->setEndValue(to);
    connect(animation, &QVariantAnimation::valueChanged, copy,
            [copy](const QVariant &v) { copy->setGeometry(v.toRect()); });
    connect(animation, &QVariantAnimation::finished, this, [this, animation] { finish(animation); });
    glides_.push_back({animation, copy, target});
    animation->start();
}

void TableMotion::finish(QVariantAnimation *animation)
{
    const auto it = std::find_if(glides_.begin(), glides_.end(),
                                 [animation](const Glide &g) { return g.animation == animation; });
    if (it == glides_.end())
        return;
    const Glide g = *it;
    glides_.erase(it);
    if (g.target)
        g.target->setVeiled(false);
    delete g.copy;
    g.animation->disconnect(this);
    g.animation->stop();
    g.animation->deleteLater();
}

void TableMotion::finishAll()
{
    while (!glides_.empty())
        finish(glides_.front().animation);
}

} // namespace quillet
