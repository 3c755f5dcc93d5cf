// Runs in every frame of every page, in a world of its own that page scripts cannot reach.
// It reports each form submission that posts (its entry list after every formdata listener
// ran, the action, enctype and charset, and the files' bytes) to the host as console messages
// that begin with a secret only this source holds.
(function () {
  'use strict';
  const SECRET = '%SECRET%';
  const CHUNK = 393216;  // bytes of a file per message (a multiple of 3, so chunks join as base64)
  const log = console.log.bind(console);
  const describe = (proto, name) => Object.getOwnPropertyDescriptor(proto, name).get;
  const formAction = describe(HTMLFormElement.prototype, 'action');
  const formMethod = describe(HTMLFormElement.prototype, 'method');
  const formEnctype = describe(HTMLFormElement.prototype, 'enctype');
  const formAcceptCharset = describe(HTMLFormElement.prototype, 'acceptCharset');
  const hasAttribute = Element.prototype.hasAttribute;
  const formDataEntries = FormData.prototype.entries;
  const instance = Math.random().toString(36).slice(2) + Date.now().toString(36);
  let serial = 0;

  const send = (kind, payload) => log(SECRET + ' ' + kind + ' ' + payload);

  // A trusted submit event of this task, and the trusted formdata events seen since.
  let lastSubmit = null;
  let pending = [];
  let scheduled = false;
  const schedule = () => {
    if (!scheduled) {
      scheduled = true;
      setTimeout(flush, 0);
    }
  };

  window.addEventListener('submit', (event) => {
    if (!event.isTrusted)
      return;
    lastSubmit = { event: event, form: event.target, submitter: event.submitter || null };
    schedule();
  }, true);

  window.addEventListener('formdata', (event) => {
    if (!event.isTrusted || !(event.target instanceof HTMLFormElement))
      return;
    const submit = lastSubmit;
    // A FormData made by a submit listener of the page, while the submit event is dispatched.
    if (submit && submit.event.eventPhase !== 0)
      return;
    const own = submit && submit.form === event.target && !submit.event.defaultPrevented;
    pending.push({ form: event.target, formData: event.formData, submit: own ? submit : null,
                   confirmed: false, rounds: 0 });
    schedule();
  }, true);

  const signature = (formData) => JSON.stringify(Array.from(formDataEntries.call(formData), ([name, value]) =>
    typeof value === 'string' ? [name, value] : [name, value.name, value.type, value.size]));

  // The engine navigates this window with the form's data: that confirms the submit() of a form
  // with the same address and entries.
  if (window.navigation) {
    navigation.addEventListener('navigate', (event) => {
      if (!event.isTrusted || !event.formData)
        return;
      const url = event.destination.url;
      const wanted = signature(event.formData);
      for (const record of pending) {
        if (!record.submit && !record.confirmed && actionOf(record.form, null) === url
            && signature(record.formData) === wanted)
          record.confirmed = true;
      }
    });
  }

  // After every listener ran. A submission with a submit event (the user's, requestSubmit()) is
  // certain. submit() fires none and builds the entry list just as a page's own
  // "new FormData(form)" does; only a navigation of this window (above) confirms it. Unconfirmed
  // ones are reported as uncertain and serve a POST only when no certain capture for its address
  // is there. The engine builds a submission's entry list a second time just before it
  // navigates: one report per form and flush.
  function flush() {
    scheduled = false;
    const list = pending;
    pending = [];
    lastSubmit = null;
    const done = new Set();
    const keep = [];
    for (const pass of ['submit', 'confirmed', 'rest']) {
      for (const record of list) {
        if (done.has(record.form))
          continue;
        if (pass === 'submit' && record.submit) {
          done.add(record.form);
          report(record.form, record.formData, record.submit.submitter, true);
        } else if (pass === 'confirmed' && record.confirmed) {
          done.add(record.form);
          report(record.form, record.formData, null, true);
        } else if (pass === 'rest') {
          done.add(record.form);
          if (record.rounds < 2) {
            ++record.rounds;
            keep.push(...list.filter((r) => r.form === record.form));
          } else {
            report(record.form, record.formData, null, false);
          }
        }
      }
    }
    if (keep.length) {
      pending = keep.concat(pending);
      schedule();
    }
  }

  function actionOf(form, submitter) {
    return attributeOr(submitter, 'formaction', () => submitter.formAction, () => formAction.call(form));
  }

  function attributeOr(submitter, attribute, own, fallback) {
    return submitter && hasAttribute.call(submitter, attribute) ? own() : fallback();
  }

  function report(form, formData, submitter, certain) {
    try {
      const method = attributeOr(submitter, 'formmethod', () => submitter.formMethod, () => formMethod.call(form));
      if (String(method).toLowerCase() !== 'post')
        return;
      const action = actionOf(form, submitter);
      const enctype = attributeOr(submitter, 'formenctype', () => submitter.formEnctype, () => formEnctype.call(form));
      const multipart = String(enctype).toLowerCase() === 'multipart/form-data';
      const entries = [];
      const files = [];
      for (const [name, value] of formDataEntries.call(formData)) {
        if (typeof value === 'string') {
          entries.push([name, value]);
        } else {
          entries.push([name, files.length, value.name, value.type, value.size]);
          files.push(value);
        }
      }
      const id = instance + '.' + (++serial);
      send('S', JSON.stringify({
        id: id, action: action, enctype: enctype, acceptCharset: formAcceptCharset.call(form),
        charset: document.characterSet, entries: entries, files: multipart ? files.length : 0, weak: !certain
      }));
      if (multipart)
        sendFiles(id, files);
    } catch (e) {
    }
  }

  // Read at once, in this task: the page cannot be replaced by the response before every byte
  // is out. A read of a blob address is the one synchronous read a window has.
  function sendFiles(id, files) {
    for (let index = 0; index < files.length; ++index) {
      const file = files[index];
      if (file.size === 0)
        continue;
      let text;
      try {
        const address = URL.createObjectURL(file);
        const request = new XMLHttpRequest();
        request.open('GET', address, false);
        request.overrideMimeType('text/plain; charset=x-user-defined');
        request.send();
        URL.revokeObjectURL(address);
        text = request.responseText;
        if (request.status !== 200 || text.length !== file.size)
          throw new Error('short read');
      } catch (e) {
        send('X', id);
        return;
      }
      for (let offset = 0; offset < text.length; offset += CHUNK) {
        const end = Math.min(text.length, offset + CHUNK);
        const bytes = new Uint8Array(end - offset);
        for (let i = offset; i < end; ++i)
          bytes[i - offset] = text.charCodeAt(i) & 0xff;
        let binary = '';
        for (let i = 0; i < bytes.length; i += 32768)
          binary += String.fromCharCode.apply(null, bytes.subarray(i, i + 32768));
        send('C', id + ' ' + index + ' ' + btoa(binary));
      }
    }
    send('E', id);
  }
})();
