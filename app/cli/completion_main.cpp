// qb41-cli-completion OUT: writes the bash completion script of qb41-cli,
// made from its table of verbs, at build time.
#include "cli.h"

#include <fstream>
#include <iostream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: qb41-cli-completion OUT\n";
        return 2;
    }
    std::ofstream out(argv[1], std::ios::binary);
    out << qb41::cli::BashCompletion();
    out.close();
    if (!out) {
        std::cerr << "qb41-cli-completion: cannot write " << argv[1] << '\n';
        return 1;
    }
    return 0;
}
