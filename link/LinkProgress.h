#pragma once

#include <QString>
#include <QStringList>

// What a running link call is doing, for whoever shows the user that something happens.
struct LinkProgress {
    enum class Stage { Searching, Reading, Writing, Committing };
    Stage stage = Stage::Searching;
    // Block or chunk being exchanged, from 1, and how many there are (0 while searching).
    int step = 0;
    int steps = 0;
    // While searching: the ports still waiting for an answer, in list order.
    QStringList ports;

    // One line for the user, such as "Reading block 3 of 8".
    QString text() const;
};

// What one port gave during a controller search.
struct PortOutcome {
    enum class Kind {
        NotOpened,   // the device could not be opened; reason says why
        Silent,      // opened, no complete answer to the identify request
        BadFrame,    // answered with a bad checksum
        LineFailed,  // reading from the device failed (hang-up, I/O error)
        Refused,     // answered, but the identify rule did not accept it
        Accepted,    // the controller's port
        NotNeeded,   // given up because a port listed earlier holds the controller
    };
    QString port;
    Kind kind = Kind::Silent;
    QString reason;

    // "/dev/ttyS0: opened, no answer" and the like.
    QString text() const;
    // The same without the port ("opened, no answer"), for a list that shows the port apart.
    QString result() const;
};
