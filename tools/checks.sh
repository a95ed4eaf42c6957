# Sourced by the check scripts: `check NAME FOUND EXPECTED` prints one line and counts it;
# `checks_summary WHAT` prints "WHAT: N passed, N failed" and returns non-zero after a failure.
passed=0
failed=0
check() {
    if [ "$2" = "$3" ]; then
        echo "ok   $1"
        passed=$((passed + 1))
    else
        echo "FAIL $1"
        echo "     expected: $3"
        echo "     found:    $2"
        failed=$((failed + 1))
    fi
}
checks_summary() {
    echo "$1: $passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}
