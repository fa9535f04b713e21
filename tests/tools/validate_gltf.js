#!/usr/bin/env node
// Validates every .gltf and .glb under a folder (default: ./Data) with the glTF
// validator, loading the external buffers and images beside each file.
// Exits non-zero when any file has an error or cannot be read; warnings and
// infos are counted but do not fail.
'use strict';
const fs = require('fs');
const path = require('path');

let validator;
try {
    validator = require('gltf-validator');
} catch (e) {
    console.error('gltf-validator is not installed (run scripts/setup.sh): ' + e.message);
    process.exit(2);
}

function findGltf(dir, out) {
    for (const entry of fs.readdirSync(dir, {withFileTypes: true}).sort((a, b) => a.name.localeCompare(b.name))) {
        const full = path.join(dir, entry.name);
        if (entry.isDirectory()) findGltf(full, out);
        else if (/\.(gltf|glb)$/i.test(entry.name)) out.push(full);
    }
    return out;
}

async function main() {
    const root = path.resolve(process.argv[2] || 'Data');
    if (!fs.existsSync(root)) {
        console.error('no such folder: ' + root);
        return 1;
    }
    const files = findGltf(root, []);
    if (files.length === 0) {
        console.error('no .gltf or .glb files under ' + root);
        return 1;
    }
    let failed = 0, warnings = 0;
    for (const file of files) {
        const rel = path.relative(root, file);
        try {
            const report = await validator.validateBytes(new Uint8Array(fs.readFileSync(file)), {
                uri: path.basename(file),
                maxIssues: 50,
                externalResourceFunction: (uri) => new Promise((resolve, reject) => {
                    const target = path.resolve(path.dirname(file), decodeURIComponent(uri));
                    fs.readFile(target, (err, data) => err ? reject(err.toString()) : resolve(new Uint8Array(data)));
                }),
            });
            const issues = report.issues;
            warnings += issues.numWarnings;
            if (issues.numErrors > 0) {
                ++failed;
                console.error(`FAIL ${rel}: ${issues.numErrors} error(s)`);
                for (const m of issues.messages.filter((m) => m.severity === 0))
                    console.error(`    ${m.code} ${m.pointer || ''}: ${m.message}`);
            }
        } catch (e) {
            ++failed;
            console.error(`FAIL ${rel}: ${e}`);
        }
    }
    console.log(`validated ${files.length} glTF files: ${failed} with errors, ${warnings} warnings in total`);
    return failed ? 1 : 0;
}

main().then((code) => process.exit(code), (e) => { console.error(e); process.exit(1); });
