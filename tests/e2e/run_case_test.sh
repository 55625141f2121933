#!/bin/bash
# run_case.sh itself: a case passes only when the program left every input as it found it,
# generated inputs (linked, not copied, into the run) included.
set -u
run_case=$(dirname "$0")/run_case.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0

# A stand-in for logtally that does to its inputs what its one argument says.
cat > "$work/program" <<'PROGRAM'
case $1 in
  nothing) ;;
  append-generated) printf 'x' >> generated.log ;;
  replace-generated) rm generated.log && printf 'y\n' > generated.log ;;
  append-given) printf 'x' >> given.log ;;
esac
echo done
PROGRAM

# Each row: what the program does, then the exit status run_case.sh must give.
rows=(
    nothing            0
    append-generated   1
    replace-generated  1
    append-given       1
)
for ((i = 0; i < ${#rows[@]}; i += 2)); do
    what=${rows[i]}
    want=${rows[i + 1]}
    case=$work/case-$what
    mkdir -p "$case/in"
    printf 'given\n' > "$case/in/given.log"
    printf 'printf "generated\\n" > generated.log\n' > "$case/setup"
    echo "$what" > "$case/args"
    echo done > "$case/stdout"
    : > "$case/stderr"
    echo 0 > "$case/exit"
    bash "$run_case" "$case" bash "$work/program" > "$work/$what.out" 2>&1
    status=$?
    if [ $status -eq "$want" ]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED: a program that does '$what' -> status $status, want $want:"
        cat "$work/$what.out"
    fi
done

echo "run_case: $passed passed, $failed failed"
[ $failed -eq 0 ]
