#pragma once
// Answers message boxes from a script and records what was asked.

#include <deque>
#include <functional>
#include <map>
#include <vector>

#include "Prompter.h"

class ScriptedPrompter : public Prompter {
public:
    struct Asked {
        int id;
        Buttons buttons;
        QString detail;
    };

    // Answers for one message, used in order; when they run out, the message's default.
    void script(int id, std::initializer_list<Answer> answers) {
        for (Answer a : answers) planned_[id].push_back(a);
    }
    void setDefault(int id, Answer answer) { defaults_[id] = answer; }

    Answer ask(int stringId, Buttons buttons, const QString& detail) override {
        asked.push_back({stringId, buttons, detail});
        auto& queue = planned_[stringId];
        if (!queue.empty()) {
            const Answer a = queue.front();
            queue.pop_front();
            return a;
        }
        const auto d = defaults_.find(stringId);
        if (d != defaults_.end())
            return d->second;
        switch (buttons) {
            case Buttons::YesNo:
                return Answer::Yes;
            case Buttons::RetryCancel:
                return Answer::Cancel;
            default:
                return Answer::Ok;
        }
    }
    void tell(const QString& text) override { tellWithDetail(text, {}); }
    void tellWithDetail(const QString& text, const QString& detail) override {
        told.push_back(text);
        toldDetails.push_back(detail);
        if (whileTelling)
            whileTelling(text);
    }
    // Runs while a fixed text is shown, as a user's actions behind the message box would.
    std::function<void(const QString&)> whileTelling;

    std::vector<int> ids() const {
        std::vector<int> out;
        for (const auto& a : asked) out.push_back(a.id);
        return out;
    }
    int count(int id) const {
        int n = 0;
        for (const auto& a : asked) n += a.id == id;
        return n;
    }

    std::vector<Asked> asked;
    std::vector<QString> told;
    std::vector<QString> toldDetails;  // one for each of told, empty when none was given

private:
    std::map<int, std::deque<Answer>> planned_;
    std::map<int, Answer> defaults_;
};
