#!/bin/sh
# Compares the size of the test code with that of the product code.
#   product: everything but tests/, fuzz/, bench/ and tools/
#   tests:   tests/ (unit tests, their support code and the viewer's scenario scripts)
# Counted are non-blank lines of source files (C++, shell, Python, CMake); fixture data,
# documentation and generated files are not.
cd "$(dirname "$0")/.."
count() {
    git ls-files -- "$@" | grep -E '\.(cpp|h|sh|py|cmake)$|CMakeLists\.txt$' |
        xargs cat 2>/dev/null | grep -cv '^[[:space:]]*$'
}
product=$(count . ':!tests' ':!fuzz' ':!bench' ':!tools')
tests=$(count tests)
echo "product $product lines, tests $tests lines: tests are $((100 * tests / product)) % of the product"
