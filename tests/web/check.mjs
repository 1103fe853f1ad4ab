// A few lines for the browser tests' checks: each names what it checks and
// the run fails at the end when any did not hold.
let failures = 0;
let checks = 0;

export function check(ok, what, detail = '') {
  ++checks;
  if (!ok) {
    ++failures;
    console.error(`FAIL ${what}${detail ? `\n  ${detail}` : ''}`);
  }
  return ok;
}

export function equal(actual, expected, what) {
  const a = JSON.stringify(actual);
  const e = JSON.stringify(expected);
  return check(a === e, what, `got      ${a}\n  expected ${e}`);
}

export function finish(name) {
  console.log(`${name}: ${checks} checks, ${failures} failed`);
  process.exit(failures || checks === 0 ? 1 : 0);
}
