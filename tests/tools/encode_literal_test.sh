#!/usr/bin/env bash
# The literal encoder refuses tables the decoder could not give back intact, naming the line.
set -u
encoder=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0

# Each row: a table line, then the message the encoder must stop with ("" = accepted).
rows=(
    'kOne 1 "x"'                    ''
    'kMarkerOne 1 "\x85"'           ''
    'kEscapes 5 "a\tb\n\\"'         ''
    'kShort 3 "ab"'                 'kShort: the text has 2 characters, declared 3'
    'kLong 1 "ab"'                  'kLong: the text has 2 characters, declared 1'
    'kEmpty 0 ""'                   'kEmpty: the text is empty'
    'kMarker 2 "\x85a"'             'kMarker: a text of two or more characters may not hold a byte 0x80..0x9F'
    'kInner 3 "a\n\x9f"'           'kInner: a text of two or more characters may not hold a byte 0x80..0x9F'
    'kNul 3 "a\x00b"'               'kNul: the text holds a NUL'
    'kBadEscape 2 "\q"'             'unknown escape \q'
    'kNoQuotes 3 abc'               'the text needs double quotes'
    'kVersion 14 "logtally @VERSION@"' ''
    'kMail 7 "a@b.com"'             ''
    'kAtNoName 6 "@ 1 @@"'          ''
    'kVersionLength 3 "@VERSION@"'  'kVersionLength: the text has 5 characters, declared 3'
    'kNoValue 5 "x@NAME@"'          '@NAME@ has no value: give NAME=VALUE'
)
for ((i = 0; i < ${#rows[@]}; i += 2)); do
    line=${rows[i]}
    want=${rows[i + 1]}
    printf '# a comment line\n\n%s\n' "$line" > "$work/table.txt"
    message=$("$encoder" "$work/table.txt" "$work" VERSION=9.8.7 2>&1)
    status=$?
    if [ -z "$want" ] && [ $status -eq 0 ] && grep -q "literal_pool + 0;" "$work/literals.h" &&
        grep -q "Length = " "$work/literals.h"; then
        passed=$((passed + 1))
    elif [ -n "$want" ] && [ $status -ne 0 ] && [[ "$message" == "$work/table.txt:3: error: $want" ]]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED: $line -> status $status: $message (want: ${want:-accepted})"
    fi
done

printf 'kTwice 1 "a"\nkTwice 1 "b"\n' > "$work/table.txt"
message=$("$encoder" "$work/table.txt" "$work" 2>&1)
status=$?
if [ $status -ne 0 ] && [[ "$message" == "$work/table.txt:2: error: kTwice is defined twice" ]]; then
    passed=$((passed + 1))
else
    failed=$((failed + 1))
    echo "FAILED: a name defined twice -> status $status: $message"
fi

# The value stands in the text, and a value given in another form stops the encoder.
printf 'kVersion 14 "logtally @VERSION@"\n' > "$work/table.txt"
if "$encoder" "$work/table.txt" "$work" VERSION=9.8.7 && grep -qx '// logtally 9.8.7' "$work/literals.h" &&
    ! "$encoder" "$work/table.txt" "$work" 9.8.7 2>/dev/null; then
    passed=$((passed + 1))
else
    failed=$((failed + 1))
    echo "FAILED: @VERSION@ is not replaced by the value given, or a value without its name is taken"
fi

echo "encode_literal: $passed passed, $failed failed"
[ $failed -eq 0 ]
