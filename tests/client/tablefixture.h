// A table with its side windows and no connection, driven through its handlers as
// the server's messages drive it, recording what it sends, the notices it shows and
// the questions it asks (answered with `answer`).
#pragma once

#include "testports.h"

#include "app/quilletapp.h"
#include "client/tchat.h"

#include <QLabel>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <string>
#include <vector>

struct TableFixture {
    TableFixture()
    {
        quillet::CommandLine cl;
        cl.home = home.path();
        cl.lobbyPort = quietLobbyPort(); // no lobby of the machine's hears from a test
        app = std::make_unique<quillet::QuilletApp>(cl);
        t = app->table();
        t->sendHook = [this](const std::string &m) { sent.push_back(m.substr(0, m.size() - 1)); };
        t->messageBox = [this](const QString &text) { boxes << text; };
        t->confirm = [this](const QString &q) {
            questions << q;
            return answer;
        };
    }
    void msg(const std::string &m) { t->dispatch(m); }
    QLabel *label(const QString &name) { return t->panelMain()->findChild<QLabel *>(name); }
    void login(int slot, const QString &name = "You")
    {
        t->setPlayerName(name);
        msg("CMD_sendlogininfo+" + std::to_string(slot));
    }
    std::string lastSent() const { return sent.empty() ? std::string() : sent.back(); }

    QTemporaryDir home;
    std::unique_ptr<quillet::QuilletApp> app;
    quillet::Tchat *t = nullptr;
    std::vector<std::string> sent; // without the terminator
    QStringList boxes;
    QStringList questions;
    bool answer = false;
};
