#!/bin/sh
# Checks a HAR file of every kind of row against the HAR 1.2 schema with the npm package
# har-validator, installed into the build tree on first use (nothing of it is kept in the
# repository). Usage: validate_har.sh <npm prefix> <har_sample program> <file to write>.
# Exits 77 (skipped) when node or npm is missing or the package cannot be installed.
set -eu
prefix=$1
sample=$2
file=$3
version=5.1.5
here=$(cd "$(dirname "$0")" && pwd)

if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
    echo "node and npm are needed (scripts/install-deps installs them)"
    exit 77
fi
installed=$(node -p "require('$prefix/node_modules/har-validator/package.json').version" 2>/dev/null || true)
if [ "$installed" != "$version" ]; then
    if ! npm install --prefix "$prefix" --no-audit --no-fund --loglevel=error "har-validator@$version"; then
        echo "cannot install har-validator@$version from the npm registry"
        exit 77
    fi
fi
"$sample" "$file"
node "$here/validate_har.js" "$prefix/node_modules/har-validator" "$file"
