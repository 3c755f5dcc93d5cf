// Runs in every frame of every page, in a world of its own that page scripts cannot reach.
// It reports each form submission that posts (its entry list after every formdata listener
// ran, the action, enctype and charset, and the files' bytes) to the host as console messages
// that begin with a secret only this source holds. The engine does not run it in documents it
// makes without loading them (a frame's first empty document, a document its parent wrote), so
// it also watches the windows of such same-origin frames from their parent.
(function () {
  'use strict';
  const SECRET = '%SECRET%';
  const MARK = '__trailscribe_' + SECRET;
  const CHUNK = 393216;  // bytes of a file per message (a multiple of 3, so chunks join as base64)
  const log = console.log.bind(console);
  const describe = (proto, name) => Object.getOwnPropertyDescriptor(proto, name).get;
  const formAction = describe(HTMLFormElement.prototype, 'action');
  const formMethod = describe(HTMLFormElement.prototype, 'method');
  const formEnctype = describe(HTMLFormElement.prototype, 'enctype');
  const formAcceptCharset = describe(HTMLFormElement.prototype, 'acceptCharset');
  const formElements = describe(HTMLFormElement.prototype, 'elements');
  const ownerDocument = describe(Node.prototype, 'ownerDocument');
  const characterSet = describe(Document.prototype, 'characterSet');
  const hasAttribute = Element.prototype.hasAttribute;
  const formDataEntries = FormData.prototype.entries;
  const instance = Math.random().toString(36).slice(2) + Date.now().toString(36);
  let serial = 0;
  // Each form's own name in the reports, so that the host can tell two reports of one form.
  const formIds = new WeakMap();
  let formSerial = 0;
  const formIdOf = (form) => {
    let id = formIds.get(form);
    if (!id) {
      id = instance + '/' + (++formSerial);
      formIds.set(form, id);
    }
    return id;
  };

  const send = (kind, payload) => log(SECRET + ' ' + kind + ' ' + payload);
  // By name, not by constructor: a window's constructors are not those of the window that
  // watches it, and a document.open() gives a window new ones.
  const isHtml = (node, ...names) => node && node.nodeType === 1 && node.namespaceURI === 'http://www.w3.org/1999/xhtml'
    && names.includes(node.localName);

  // What identifies one entry list: names and values, files by name, type and size. A hidden
  // _charset_ field's value depends on who built the list, so it is left out.
  const signature = (formData) => JSON.stringify(Array.from(formDataEntries.call(formData), ([name, value]) =>
    typeof value === 'string' ? [name, isCharsetName(name) ? '' : value] : [name, value.name, value.type, value.size]));
  const isCharsetName = (name) => name.length === 9 && name.toLowerCase() === '_charset_';

  // Starts watching a window: ours, or a same-origin frame's that our script does not run in.
  // Listeners are the same functions each time, so watching again only puts back those that
  // document.open() took away.
  function watch(win) {
    let state;
    try {
      state = win[MARK];
      if (!state) {
        state = makeState(win);
        Object.defineProperty(win, MARK, { value: state });
      }
      // A frame's first document may be replaced by another in the same window.
      if (state.observed !== win.document) {
        state.observed = win.document;
        state.observer.observe(win.document, { childList: true, subtree: true });
      }
      win.addEventListener('submit', state.onSubmit, true);
      win.addEventListener('formdata', state.onFormData, true);
      win.addEventListener('load', state.onLoad, true);
      if (win.navigation)
        win.navigation.addEventListener('navigate', state.onNavigate);
      for (const frame of win.document.querySelectorAll('iframe, frame'))
        watchFrame(frame);
    } catch (e) {
      // another origin's window: its own copy of this script watches it
    }
  }

  function watchFrame(element) {
    try {
      const win = element.contentWindow;
      if (win)
        watch(win);
    } catch (e) {
    }
  }

  function makeState(win) {
    // The trusted submit events of this task, and the trusted formdata events seen since.
    let lastSubmit = null;
    let pending = [];
    let scheduled = false;
    // Forms whose submission was reported, with the entry list the engine is still to build for
    // it once more (null: any). Chromium 122 builds that second list in a later task, just before
    // the navigation, where it looks like a form.submit() or a page's own "new FormData(form)";
    // taken for a capture of its own, it was left over for the next post to the same address.
    let rebuilds = [];
    const schedule = () => {
      if (!scheduled) {
        scheduled = true;
        setTimeout(flush, 0);
      }
    };

    const onSubmit = (event) => {
      if (!event.isTrusted)
        return;
      lastSubmit = { event: event, form: event.target, submitter: event.submitter || null };
      schedule();
    };

    const onFormData = (event) => {
      if (!event.isTrusted || !isHtml(event.target, 'form'))
        return;
      const submit = lastSubmit;
      // A FormData made by a submit listener of the page, while the submit event is dispatched.
      if (submit && submit.event.eventPhase !== 0)
        return;
      const own = submit && submit.form === event.target && !submit.event.defaultPrevented;
      if (!own && isRebuild(event.target, event.formData))
        return;
      pending.push({ form: event.target, formData: event.formData, submit: own ? submit : null });
      schedule();
    };

    // A frame's document was loaded or written: watch its window too.
    const onLoad = (event) => {
      const target = event.target;
      if (isHtml(target, 'iframe', 'frame'))
        watchFrame(target);
    };

    // The engine navigates this window with a form's data: the host confirms the capture with
    // the same address and entries, from whichever window it came.
    const onNavigate = (event) => {
      if (!event.isTrusted || !event.formData)
        return;
      send('N', JSON.stringify({ action: event.destination.url, signature: signature(event.formData) }));
    };

    // Whether this entry list is the engine's second build of a submission already reported.
    const kRebuildWindowMs = 1000;
    function isRebuild(form, formData) {
      const now = Date.now();
      rebuilds = rebuilds.filter((r) => now - r.at < kRebuildWindowMs);
      const at = rebuilds.findIndex((r) => r.form === form && (r.signature === null || r.signature === signature(formData)));
      if (at < 0)
        return false;
      rebuilds.splice(at, 1);
      return true;
    }

    // After every listener ran. A submission with a submit event (the user's, requestSubmit())
    // is certain; when a form was submitted more than once in the task, the engine sends the
    // last. submit() fires no submit event and builds its entry list just as a page's own
    // "new FormData(form)" does, so those are reported as uncertain, each distinct entry list
    // once: the host takes one for certain only when a navigation confirms it. The engine
    // builds a submission's entry list twice; the first holds the submitter's entry.
    function flush() {
      scheduled = false;
      const list = pending;
      pending = [];
      lastSubmit = null;
      const now = Date.now();
      const forms = [];
      for (const record of list)
        if (!forms.includes(record.form))
          forms.push(record.form);
      for (const form of forms) {
        const records = list.filter((r) => r.form === form);
        const submitted = records.filter((r) => r.submit);
        if (submitted.length) {
          const last = submitted[submitted.length - 1].submit;
          const first = submitted.find((r) => r.submit === last);
          report(form, first.formData, last.submitter, true);
          if (submitted.filter((r) => r.submit === last).length < 2)
            rebuilds.push({ form: form, signature: null, at: now });
          continue;
        }
        const seen = new Set();
        for (const record of records.reverse()) {
          const sig = signature(record.formData);
          if (!seen.has(sig)) {
            seen.add(sig);
            report(form, record.formData, null, false);
            rebuilds.push({ form: form, signature: sig, at: now });
          }
        }
      }
    }

    // Runs after the page's script, before the engine starts the navigation of a submission it
    // made. Two things take our listeners' place without a load: document.open() (it takes every
    // listener away) and a frame made and filled in one task (our script comes to it later).
    // Their forms' entry lists are built again here; only a navigation with the same entries
    // makes such a capture certain.
    const onMutations = (records) => {
      let opened = false;
      const frames = [];
      for (const record of records) {
        if (record.target === win.document && record.removedNodes.length)
          opened = true;
        for (const node of record.addedNodes) {
          if (isHtml(node, 'iframe', 'frame'))
            frames.push(node);
          else if (node.nodeType === 1 && node.firstElementChild)
            frames.push(...node.querySelectorAll('iframe, frame'));
        }
      }
      if (opened) {
        watch(win);
        rebuildEntryLists(win);
      }
      for (const frame of frames) {
        watchFrame(frame);
        try {
          if (frame.contentWindow)
            rebuildEntryLists(frame.contentWindow);
        } catch (e) {
        }
      }
    };

    return { onSubmit, onFormData, onLoad, onNavigate, observer: new MutationObserver(onMutations), observed: null };
  }

  // Our formdata listener reports what these give, as uncertain captures.
  function rebuildEntryLists(win) {
    for (const form of win.document.forms) {
      if (String(formMethod.call(form)).toLowerCase() === 'post')
        new FormData(form);
    }
  }

  function actionOf(form, submitter) {
    return attributeOr(submitter, 'formaction', () => submitter.formAction, () => formAction.call(form));
  }

  function attributeOr(submitter, attribute, own, fallback) {
    return submitter && hasAttribute.call(submitter, attribute) ? own() : fallback();
  }

  // The hidden _charset_ fields of a form: the engine sends the submission's charset in them.
  function charsetFieldNames(form) {
    const names = [];
    for (const element of formElements.call(form)) {
      if (element.localName === 'input' && element.type === 'hidden' && !element.disabled && isCharsetName(element.name))
        names.push(element.name);
    }
    return names;
  }

  function report(form, formData, submitter, certain) {
    try {
      const method = attributeOr(submitter, 'formmethod', () => submitter.formMethod, () => formMethod.call(form));
      if (String(method).toLowerCase() !== 'post')
        return;
      const action = actionOf(form, submitter);
      const enctype = attributeOr(submitter, 'formenctype', () => submitter.formEnctype, () => formEnctype.call(form));
      const multipart = String(enctype).toLowerCase() === 'multipart/form-data';
      const charsetNames = charsetFieldNames(form);
      const entries = [];
      const files = [];
      for (const [name, value] of formDataEntries.call(formData)) {
        if (typeof value === 'string') {
          const at = charsetNames.indexOf(name);
          if (at >= 0) {
            charsetNames.splice(at, 1);
            entries.push([name, value, 'charset']);
          } else {
            entries.push([name, value]);
          }
        } else {
          entries.push([name, files.length, value.name, value.type, value.size]);
          files.push(value);
        }
      }
      const id = instance + '.' + (++serial);
      send('S', JSON.stringify({
        id: id, action: action, enctype: enctype, acceptCharset: formAcceptCharset.call(form),
        charset: characterSet.call(ownerDocument.call(form)), entries: entries, files: multipart ? files.length : 0,
        weak: !certain, signature: signature(formData), form: formIdOf(form)
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

  watch(window);
})();
