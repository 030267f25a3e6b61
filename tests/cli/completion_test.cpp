// The bash completion script made at build time against what the program
// itself accepts: every verb its usage lists, and for each verb exactly the
// options its help lists. Both come from one table; this catches a script
// that stops following it.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <sys/wait.h>

namespace {

std::string Output(const std::string& args) {
    std::string command = std::string(QB41_CLI) + " " + args + " 2>&1";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return "";
    std::string output;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, n);
    pclose(pipe);
    return output;
}

std::set<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    std::set<std::string> words;
    for (std::string word; in >> word;) words.insert(word);
    return words;
}

std::string Script() {
    std::ifstream in(QB41_COMPLETION);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> UsageVerbs() {
    const std::string usage = Output("--help");
    const std::regex line("\n  qb41-cli ([a-z]+)");
    std::vector<std::string> verbs;
    for (auto it = std::sregex_iterator(usage.begin(), usage.end(), line);
         it != std::sregex_iterator(); ++it)
        verbs.push_back((*it)[1]);
    return verbs;
}

TEST(Completion, OffersEveryVerbTheUsageLists) {
    const std::string script = Script();
    std::smatch match;
    ASSERT_TRUE(std::regex_search(script, match, std::regex("local verbs=\"([^\"]*)\""))) << script;
    const std::vector<std::string> verbs = UsageVerbs();
    ASSERT_GE(verbs.size(), 19u);
    EXPECT_EQ(Words(match[1]), std::set<std::string>(verbs.begin(), verbs.end()));
}

TEST(Completion, OffersExactlyTheOptionsEachVerbsHelpLists) {
    const std::string script = Script();
    for (const std::string& verb : UsageVerbs()) {
        if (verb == "help") continue;
        const std::string help = Output(verb + " --help");
        std::set<std::string> listed;
        const std::regex option("\n  (--?[a-z][a-z-]*)");
        for (auto it = std::sregex_iterator(help.begin(), help.end(), option);
             it != std::sregex_iterator(); ++it)
            if ((*it)[1] != "-h") listed.insert((*it)[1]);
        std::smatch match;
        const bool found = std::regex_search(
            script, match, std::regex("\n    " + verb + "\\) options\\+=\"([^\"]*)\""));
        if (listed.empty()) {
            EXPECT_FALSE(found) << verb;
            continue;
        }
        ASSERT_TRUE(found) << verb << " has no options in the script";
        EXPECT_EQ(Words(match[1]), listed) << verb;
        // Each valued option's value is completed: it appears in one `case $prev` pattern.
        for (const std::string& name : listed) {
            const bool valued = help.find("\n  " + name + " ") != std::string::npos;
            const bool completed = std::regex_search(
                script, std::regex("\n    ([-a-z|]*\\|)?" + name + "(\\|[-a-z|]*)?\\)\n"));
            EXPECT_EQ(completed, valued) << verb << ' ' << name;
        }
    }
}

TEST(Completion, ModelAndBankValuesAreTheProgramsOwn) {
    const std::string script = Script();
    std::smatch match;
    ASSERT_TRUE(std::regex_search(
        script, match,
        std::regex("--model\\)\n        COMPREPLY=\\(\\$\\(compgen -W \"([^\"]*)\"")));
    EXPECT_EQ(Words(match[1]), (std::set<std::string>{"0", "1", "2", "3"}));
    ASSERT_TRUE(std::regex_search(
        script, match,
        std::regex("--bank\\)\n        COMPREPLY=\\(\\$\\(compgen -W \"([^\"]*)\"")));
    // What export accepts: each word the script offers is taken as a bank.
    for (const std::string& bank : Words(match[1]))
        EXPECT_EQ(Output("export nothing.dat --bank " + bank + " out.csv").find("--bank must be"),
                  std::string::npos)
            << bank;
    EXPECT_FALSE(Words(match[1]).empty());
}

} // namespace
