# Counts the cases of a table-driven test script; sourced, not run. Each
# failed case prints one line; the script ends with its own count line.
passed=0
failed=0

# verdict NAME PASSED DETAIL: counts a case; PASSED is 0 when it passed.
verdict() {
  if [ "$2" = 0 ]; then
    passed=$((passed + 1))
  else
    echo "FAIL $1: $3"
    failed=$((failed + 1))
  fi
}
