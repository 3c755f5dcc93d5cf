// node validate_har.js <har-validator module dir> <file.har>: validates the file, and checks that
// the validator rejects the same file with a required field taken out.
'use strict';
const fs = require('fs');
const validator = require(process.argv[2]);
const file = process.argv[3];

const describe = (e) => JSON.stringify(e.errors || e.message, null, 2);

async function main() {
    const har = JSON.parse(fs.readFileSync(file, 'utf8'));
    if (!har.log || !Array.isArray(har.log.entries) || har.log.entries.length === 0)
        throw new Error(`${file} holds no entries`);
    try {
        await validator.har(har);
    } catch (e) {
        throw new Error(`${file} is not valid HAR: ${describe(e)}`);
    }
    for (const entry of har.log.entries) {
        try {
            await validator.entry(entry);
            await validator.request(entry.request);
            await validator.response(entry.response);
        } catch (e) {
            throw new Error(`entry ${entry.request.url} is not valid: ${describe(e)}`);
        }
    }
    const broken = JSON.parse(JSON.stringify(har));
    delete broken.log.entries[0].request.url;
    let rejected = false;
    try {
        await validator.har(broken);
    } catch (e) {
        rejected = true;
    }
    if (!rejected)
        throw new Error('the validator accepted an entry without a url');
    console.log(`${file}: ${har.log.entries.length} entries, valid HAR ${har.log.version}`);
}

main().catch((e) => {
    console.error(e.message);
    process.exit(1);
});
