// SPDX-License-Identifier: MIT
// A `systemctl` of the test's own, first on PATH, that notes each call's arguments and answers as
// told; without it on PATH, there is no systemctl at all. Nothing reaches the machine's own user
// manager either way.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/scoped_variable.h"
#include "tests/support/temp_dir.h"

namespace zonedesk::test {

class FakeSystemctl
{
public:
    enum class Answer
    {
        Present, // every call succeeds
        Absent,  // PATH holds no systemctl
    };

    /// Puts a folder of its own alone on PATH (the script needs no other program), with a
    /// systemctl in it unless `answer` is Absent.
    explicit FakeSystemctl(Answer answer = Answer::Present)
        : m_path("PATH", m_dir.path().c_str())
    {
        if (answer == Answer::Present)
            writeScript({}, {});
    }

    /// Calls whose subcommand (the word after --user) is `failing` print a bus error and exit 1.
    void failOn(const std::string& failing) { writeScript(failing, {}); }

    /// Calls whose subcommand is `hanging` never end (a child of the script sleeps).
    void hangOn(const std::string& hanging) { writeScript({}, hanging); }

    /// Each call's arguments, joined by blanks, in order.
    std::vector<std::string> calls() const
    {
        std::vector<std::string> lines;
        std::ifstream in(m_dir.path() / "calls.log");
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    const std::filesystem::path& folder() const { return m_dir.path(); }

private:
    void writeScript(const std::string& failing, const std::string& hanging)
    {
        const auto script = m_dir.write("systemctl",
                                        "#!/bin/sh\n"
                                        "printf '%s\\n' \"$*\" >> '" +
                                            (m_dir.path() / "calls.log").string() +
                                            "'\n"
                                            "case \"$2\" in\n"
                                            "'" +
                                            failing +
                                            "') echo 'Failed to connect to bus: No medium found' >&2; "
                                            "exit 1;;\n"
                                            "'" +
                                            hanging +
                                            "') /bin/sleep 60; exit 0;;\n"
                                            "esac\n"
                                            "exit 0\n");
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    }

    TempDir m_dir;
    ScopedVariable m_path;
};

} // namespace zonedesk::test
