// A solo game through the real table window and the in-process server, with the
// server's pauses cut short and the table's notices kept.
#pragma once

#include "testports.h"

#include "app/quilletapp.h"
#include "client/tchat.h"
#include "server/tserver.h"

#include <QStringList>
#include <QTemporaryDir>

#include <memory>

struct SoloGame {
    SoloGame()
    {
        quillet::CommandLine cl;
        cl.home = home.path();
        cl.port = freePort();
        app = std::make_unique<quillet::QuilletApp>(cl);
        t = app->table();
        t->messageBox = [this](const QString &text) { boxes << text; };
        app->windows().server->setTimings(quillet::Timings{5, 5, 0});
    }
    // The table hosts and logs in to its own server (wait for model().loggedin()).
    void start() { t->processparams({}); }

    QTemporaryDir home;
    std::unique_ptr<quillet::QuilletApp> app;
    quillet::Tchat *t = nullptr;
    QStringList boxes;
};
