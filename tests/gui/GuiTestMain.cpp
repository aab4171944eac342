// main() of the GUI tests: offscreen Qt, and only inside the private test network.
#include "PrivateNetwork.h"

#include <QApplication>
#include <cstring>
#include <gtest/gtest.h>
#include <iostream>

int main(int argc, char** argv)
{
    bool listOnly = false;
    for (int i = 1; i < argc; ++i)
        listOnly = listOnly || std::strcmp(argv[i], "--gtest_list_tests") == 0;
    if (!listOnly) {
        const std::string problem = testnet::privateNetworkProblem();
        if (!problem.empty()) {
            std::cerr << problem << std::endl;
            return 1;
        }
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
