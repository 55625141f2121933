#!/bin/bash
# run_case.sh itself: a case passes only when the program left every input as it found it,
# generated inputs (linked, not copied, into the run) included, but for those its "gone" file
# names, which the program must remove.
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
  remove-given) rm given.log ;;
esac
echo done
PROGRAM

# Each row: what the program does, whether the case says given.log goes, then the exit
# status run_case.sh must give.
rows=(
    nothing            no  0
    append-generated   no  1
    replace-generated  no  1
    append-given       no  1
    remove-given       yes 0
    remove-given       no  1
    nothing            yes 1
)
for ((i = 0; i < ${#rows[@]}; i += 3)); do
    what=${rows[i]}
    gone=${rows[i + 1]}
    want=${rows[i + 2]}
    case=$work/case-$i
    mkdir -p "$case/in"
    printf 'given\n' > "$case/in/given.log"
    printf 'printf "generated\\n" > generated.log\n' > "$case/setup"
    echo "$what" > "$case/args"
    echo done > "$case/stdout"
    : > "$case/stderr"
    echo 0 > "$case/exit"
    [ "$gone" = yes ] && echo given.log > "$case/gone"
    bash "$run_case" "$case" bash "$work/program" > "$work/$i.out" 2>&1
    status=$?
    if [ $status -eq "$want" ]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED: a program that does '$what' (gone: $gone) -> status $status, want $want:"
        cat "$work/$i.out"
    fi
done

echo "run_case: $passed passed, $failed failed"
[ $failed -eq 0 ]
