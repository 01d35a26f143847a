#pragma once
// Shows render progress on the terminal: a bar with the percentage and the
// step text, redrawn in place on a terminal, one line per step otherwise.

#include <cstdio>
#include <string>

class CTerminalProgress {
public:
    explicit CTerminalProgress(std::FILE* out);
    ~CTerminalProgress();
    void Update(const std::string& status, int percent);
    // Ends the bar's line (on a terminal).
    void Finish();

    static std::string FormatBar(const std::string& status, int percent, int width);

private:
    std::FILE* m_out;
    bool m_tty;
    bool m_open = false;
    std::string m_lastStatus;
    int m_lastPercent = -1;
};
